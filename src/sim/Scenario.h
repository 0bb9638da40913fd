#pragma once

#include "sim/ProbeFaults.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

// One transmitter that the simulated probes can hear.
struct Emitter {
    double frequencyMHz = 1.0;
    std::array<double, 3> e{1.0, 0.0, 0.0}; // V/m on the X, Y, Z axes
    std::array<double, 3> h{0.0, 0.0, 0.0}; // A/m; used only when hGiven
    bool hGiven = false;                    // otherwise H = E / 377
    double bandwidthMHz = 0.0;              // 0 for a carrier
    double driftDb = 0.0;                   // peak of a slow sinusoidal level drift
    double driftPeriodSeconds = 600.0;
};

// One station of the simulated network.
struct StationConfig {
    int port = 1;
    QByteArray serial = "123AB01123";
    QByteArray firmware = "HVP 30 Rel 1.07";
    int batteryRaw = 222;     // the 3-digit raw battery value
    double noiseE = 0.03;     // V/m seen at RBW 10 kHz; scales with the square root of the RBW
    double noiseH = -1.0;     // A/m at RBW 10 kHz; negative: noiseE / 377
    double noiseJitter = 0.1; // relative spread of the noise from reading to reading
    double replyDelay = 0.01; // seconds of processing before a reply leaves
    std::vector<Emitter> emitters;
    FaultSet faults;
    quint64 seed = 1;
};

struct Scenario {
    std::vector<StationConfig> stations;
};

// Reads a scenario from JSON text. On failure returns false and says why in *error
// (for example: station 2: "port" must be a whole number from 1 to 99).
bool parseScenario(const QByteArray& json, Scenario& out, QString* error);
bool loadScenarioFile(const QString& path, Scenario& out, QString* error);

// Three stations on ports 1, 2 and 3 with a few emitters between 100 kHz and 27 MHz.
Scenario defaultScenario();
