#pragma once

#include "sim/ProbeModel.h"
#include "sim/Scenario.h"

#include <map>
#include <memory>

class Clock;

// The simulated stations on the desk: one ProbeModel per port number, one clock for all of
// them, and which ports are held open (a port opens for one channel at a time).
class SimNetwork {
public:
    explicit SimNetwork(Clock& clock);
    SimNetwork(Clock& clock, const Scenario& scenario);
    SimNetwork(const SimNetwork&) = delete;
    SimNetwork& operator=(const SimNetwork&) = delete;

    // Adds (or replaces) the station on config.port.
    ProbeModel& add(const StationConfig& config);
    // Replaces all stations by those of the scenario.
    void load(const Scenario& scenario);
    bool loadFile(const QString& path, QString* error);

    ProbeModel* probe(int port);
    std::vector<int> ports() const;

    // Seconds since the network was made; never goes back (a clock set back, or a daylight
    // saving change, only holds it still).
    double now();
    Clock& clock() { return clock_; }

    // Exclusive use of a port by one owner.
    bool claim(int port, const void* owner);
    void release(int port, const void* owner);
    bool claimed(int port) const { return owners_.count(port) != 0; }

private:
    double rawSeconds() const;

    Clock& clock_;
    std::map<int, std::unique_ptr<ProbeModel>> probes_;
    std::map<int, const void*> owners_;
    double origin_ = 0;
    double lastRaw_ = 0;
    double held_ = 0;
};
