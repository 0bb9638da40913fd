#pragma once

#include "sim/ProbeModel.h"

#include <QByteArray>

// Frames a body as the program does.
inline QByteArray framed(const QByteArray& body) {
    return "#00" + body + "*";
}

// Sends one framed command at time t and returns everything the probe has sent by t + wait.
inline QByteArray exchange(ProbeModel& probe, const QByteArray& body, double& t,
                           double wait = 1.0) {
    probe.receive(framed(body), t);
    t += wait;
    return probe.transmit(t);
}

// Sets the sweep the tests use: 0.1 to 30.15 MHz in 75 kHz steps, 401 points.
inline void setSweep(ProbeModel& probe, double& t) {
    for (const char* body : {"(i100000", "(s75000", "(f30150000"})
        exchange(probe, body, t);
}

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
