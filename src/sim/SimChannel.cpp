#include "sim/SimChannel.h"

#include "app/Clock.h"

#include <QThread>

#include <algorithm>
#include <cmath>
#include <limits>

SimChannel::SimChannel(SimNetwork& network)
    : network_(&network), virtualTime_(dynamic_cast<VirtualClock*>(&network.clock()) != nullptr) {}

SimChannel::SimChannel(Clock& clock)
    : ownNetwork_(std::make_unique<SimNetwork>(clock)), network_(ownNetwork_.get()),
      virtualTime_(dynamic_cast<VirtualClock*>(&clock) != nullptr) {}

SimChannel::SimChannel(Clock& clock, const Scenario& scenario) : SimChannel(clock) {
    network_->load(scenario);
}

SimChannel::~SimChannel() {
    close();
}

bool SimChannel::loadScenarioFile(const QString& path, QString* error) {
    close();
    return network_->loadFile(path, error);
}

ProbeModel* SimChannel::live() {
    if (!open_) return nullptr;
    ProbeModel* p = network_->probe(port_);
    if (!p || !p->present(network_->now())) return nullptr;
    return p;
}

bool SimChannel::open(int port) {
    close();
    ProbeModel* p = network_->probe(port);
    const double now = network_->now();
    if (!p || !p->present(now) || !network_->claim(port, this)) return false;
    // What the probe sent while nobody listened is lost, as on a real line.
    p->transmit(now);
    port_ = port;
    open_ = true;
    input_.clear();
    seen_ = 0;
    return true;
}

void SimChannel::close() {
    if (!open_) return;
    if (ProbeModel* p = network_->probe(port_)) p->transmit(network_->now());
    network_->release(port_, this);
    open_ = false;
    input_.clear();
    seen_ = 0;
}

qint64 SimChannel::write(const QByteArray& data, int timeoutMs) {
    (void)timeoutMs;
    ProbeModel* p = live();
    if (!p) return -1;
    // The last byte reaches the probe once the whole block has crossed the line.
    p->receive(data, network_->now() + double(data.size()) / ProbeModel::kBytesPerSecond);
    return data.size();
}

qint64 SimChannel::bytesWaiting() {
    ProbeModel* p = live();
    if (!p) return -1;
    input_ += p->transmit(network_->now());
    seen_ = input_.size();
    return input_.size();
}

bool SimChannel::read(qint64 count, QByteArray& out) {
    ProbeModel* p = live();
    out.clear();
    if (!p) return false;
    input_ += p->transmit(network_->now());
    const qint64 n = std::clamp<qint64>(count, 0, input_.size());
    out = input_.left(n);
    input_.remove(0, n);
    // Bytes that came in with this read but were never reported are still news.
    seen_ = std::max<qsizetype>(seen_ - n, 0);
    return true;
}

bool SimChannel::flushOutput() {
    return live() != nullptr;
}

double SimChannel::blockingSeconds(int ms) {
    // On virtual time the pump moves the clock; sleeping would only slow the test down.
    if (virtualTime_ || ms <= 0) return 0.0;
    ProbeModel* p = live();
    // No port to wait on: sleep the slice out rather than hand control straight back.
    if (!p) return double(ms) / 1000.0;
    input_ += p->transmit(network_->now());
    if (input_.size() > seen_) return 0.0;
    const double due = p->nextByteTime() - network_->now();
    const double seconds = std::min(double(ms) / 1000.0, std::max(due, 0.0));
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0.0;
}

double SimChannel::secondsToNextInput() {
    ProbeModel* p = live();
    if (!p) return std::numeric_limits<double>::infinity();
    // Bytes due by now join the input, so the next one is still to come.
    input_ += p->transmit(network_->now());
    return std::max(p->nextByteTime() - network_->now(), 0.0);
}

void SimChannel::waitForInput(int ms) {
    const double seconds = blockingSeconds(ms);
    if (seconds > 0) QThread::usleep(quint64(seconds * 1e6));
}
