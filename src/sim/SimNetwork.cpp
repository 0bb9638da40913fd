#include "sim/SimNetwork.h"

#include "app/Clock.h"

SimNetwork::SimNetwork(Clock& clock) : clock_(clock) {
    origin_ = rawSeconds();
    lastRaw_ = origin_;
}

SimNetwork::SimNetwork(Clock& clock, const Scenario& scenario) : SimNetwork(clock) {
    load(scenario);
}

double SimNetwork::rawSeconds() const {
    return double(clock_.today().toJulianDay()) * 86400.0 + clock_.secondsSinceMidnight();
}

double SimNetwork::now() {
    const double raw = rawSeconds();
    if (raw < lastRaw_) held_ += lastRaw_ - raw;
    lastRaw_ = raw;
    return raw + held_ - origin_;
}

ProbeModel& SimNetwork::add(const StationConfig& config) {
    auto& slot = probes_[config.port];
    slot = std::make_unique<ProbeModel>(config);
    return *slot;
}

void SimNetwork::load(const Scenario& scenario) {
    probes_.clear();
    for (const StationConfig& st : scenario.stations)
        add(st);
}

bool SimNetwork::loadFile(const QString& path, QString* error) {
    Scenario scenario;
    if (!loadScenarioFile(path, scenario, error)) return false;
    load(scenario);
    return true;
}

ProbeModel* SimNetwork::probe(int port) {
    auto it = probes_.find(port);
    return it == probes_.end() ? nullptr : it->second.get();
}

std::vector<int> SimNetwork::ports() const {
    std::vector<int> out;
    for (const auto& [port, probe] : probes_)
        out.push_back(port);
    return out;
}

bool SimNetwork::claim(int port, const void* owner) {
    auto it = owners_.find(port);
    if (it != owners_.end()) return it->second == owner;
    owners_[port] = owner;
    return true;
}

void SimNetwork::release(int port, const void* owner) {
    auto it = owners_.find(port);
    if (it != owners_.end() && it->second == owner) owners_.erase(it);
}
