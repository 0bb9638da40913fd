#pragma once

#include "sim/ProbeModel.h"

#include <QByteArray>

// Frames a body as the program does.
inline QByteArray framed(const QByteArray& body) {
    return "#00" + body + "*";
}

// A probe model with a time of its own that moves on with each exchange.
struct TimedProbe : ProbeModel {
    using ProbeModel::ProbeModel;
    // Sends one framed command at time t and returns everything the probe has sent by t + wait.
    QByteArray operator()(const QByteArray& body, double wait = 1.0) {
        receive(framed(body), t);
        t += wait;
        return transmit(t);
    }
    // Sets the sweep the tests use: 0.1 to 30.15 MHz in 75 kHz steps, 401 points.
    void setSweep() {
        for (const char* body : {"(i100000", "(s75000", "(f30150000"})
            (*this)(body);
    }
    double t = 0;
};

// One carrier station for tests: quiet noise, no drift.
inline StationConfig quietStation(int port = 1) {
    StationConfig st;
    st.port = port;
    st.noiseE = 0.001;
    st.noiseJitter = 0.0;
    return st;
}

// Switches a fault on with its defaults, to be adjusted through the reference.
inline Fault& addFault(StationConfig& st, FaultKind kind) {
    return st.faults[kind] = Fault::defaults(kind);
}

inline Emitter carrier(double mhz, double ex, double ey, double ez) {
    Emitter em;
    em.frequencyMHz = mhz;
    em.e = {ex, ey, ez};
    return em;
}
