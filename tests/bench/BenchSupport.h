#pragma once

// What the benchmarks share: clocks, the probe simulator, and figures against their targets.

#include "app/AppContext.h"
#include "link/ProbeLink.h"
#include "link/SerialPortChannel.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace bench {

// CPU seconds of this process so far, all threads: the C library's process clock (which on
// Windows counts wall time instead).
inline double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

inline double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Wall seconds that f takes.
template <class F> double timed(F&& f) {
    const double start = wallSeconds();
    f();
    return wallSeconds() - start;
}

// CPU and wall seconds since it was made or restarted.
struct Stopwatch {
    double cpu0 = cpuSeconds();
    double wall0 = wallSeconds();
    void restart() { *this = Stopwatch(); }
    double cpu() const { return cpuSeconds() - cpu0; }
    double wall() const { return wallSeconds() - wall0; }
};

// Resident size of this process in KiB (4 KiB pages), -1 without /proc. From statm: on the
// same run, status shows a few pages more growth over the decode bench's acquisitions.
inline long residentKiB() {
    const QList<QByteArray> fields = readAll(QStringLiteral("/proc/self/statm")).split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : -1;
}

// The figures that missed their targets. With --check, a miss makes the exit status non-zero.
struct Targets {
    int missed = 0;
    // "  MISSED" after a figure over its target (counted), else nothing.
    const char* mark(bool over) { return over && ++missed ? "  MISSED" : ""; }
    int exitCode() const {
        return missed > 0 && QCoreApplication::arguments().contains(QStringLiteral("--check"));
    }
};

// A probe link on a serial port, with the real clock and Qt's pump, as the programs run one.
struct PortLink {
    explicit PortLink(const QString& appDir) : ctx(appDir, QString(), clock, pump) {}
    SystemClock clock;
    QtEventPump pump;
    AppContext ctx;
    SerialPortChannel channel{ctx.appDir};
    ProbeLink link{ctx, channel};
};

// halvex-probesim serving the pseudo-terminals of an application folder; stopped with it.
class ProbeSim {
public:
    // Starts it and waits (at most 10 s) for its ports/COM<port> link; says why when it cannot:
    // `built` then tells a simulator that did not start from one there is nothing to run of.
    bool start(const QString& appDir, int port) {
        const QString program = binDir() + QStringLiteral("/halvex-probesim");
        built = QFileInfo(program).isExecutable();
        if (built) process.start(program, {QStringLiteral("--app-dir"), appDir});
        if (!built || !process.waitForStarted(10000)) {
            std::printf("%s: %s %s\n", qPrintable(QCoreApplication::applicationName()),
                        qPrintable(program),
                        built ? "did not start" : "is not built; nothing measured");
            return false;
        }
        const QString link = appDir + QStringLiteral("ports/COM%1").arg(port);
        for (int i = 0; i < 200 && !QFileInfo(link).isSymLink(); ++i)
            QThread::msleep(50);
        return true;
    }
    ~ProbeSim() {
        process.terminate();
        if (!process.waitForFinished(10000)) process.kill();
    }
    bool built = false;
    QProcess process;
};

} // namespace bench
