// What a waiting probe link costs: a transaction over a pseudo-terminal whose peer answers
// after 3 s, and idle waits with the port open and closed, on the real clock and the Qt pump.
// Prints the pump's wake-ups per second of waiting (stable on a shared machine) and the
// process CPU time as a share of the wall time, beside the cost of bare 1 ms sleeps on the
// same machine. With --check, a missed target makes the exit status non-zero.

#include <QtGlobal>

#ifdef Q_OS_UNIX

#include "app/AppContext.h"
#include "link/ProbeLink.h"
#include "link/SerialPortChannel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Targets of a waiting program: it sleeps until something happens.
constexpr double kMaxIdleWakeUpsPerSecond = 2.0;
constexpr double kMaxWaitingCpuPercent = 0.3;

int missed = 0;

struct Measure {
    explicit Measure(const EventPump* pump = nullptr) : pump_(pump) {}
    const EventPump* pump_;
    long long wake0 = pump_ ? pump_->wakeUps() : 0;
    double cpu0 = cpuSeconds();
    double wall0 = wallSeconds();
    // Prints one line; a target below 0 is not checked.
    void report(const char* what, double maxWakeUps = -1, double maxCpu = -1) const {
        const double cpu = cpuSeconds() - cpu0;
        const double wall = wallSeconds() - wall0;
        const double share = wall > 0 ? 100.0 * cpu / wall : 0.0;
        std::printf("%-34s wall %5.2f s  cpu/wall %6.3f %%", what, wall, share);
        if (pump_) {
            const double rate = wall > 0 ? double(pump_->wakeUps() - wake0) / wall : 0.0;
            std::printf("  wake-ups %7.1f /s", rate);
            if (maxWakeUps >= 0 && rate > maxWakeUps) {
                std::printf("  MISSED wake-ups <= %.1f /s", maxWakeUps);
                ++missed;
            }
        }
        if (maxCpu >= 0 && share > maxCpu) {
            std::printf("  MISSED cpu <= %.1f %%", maxCpu);
            ++missed;
        }
        std::printf("\n");
    }
};

} // namespace

int main(int argc, char** argv) {
    QtEventPump::preferLeanEventLoop(); // as the programs do
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString appDir = tmp.path() + QLatin1Char('/');

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    QDir().mkpath(appDir + "ports");
    QFile::link(QString::fromLocal8Bit(ptsname(master)), appDir + "ports/COM3");

    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(appDir, QString(), clock, pump);
    SerialPortChannel channel(ctx.appDir);
    ProbeLink link(ctx, channel);

    const bool check = QCoreApplication::arguments().contains(QStringLiteral("--check"));
    std::printf("targets: wake-ups while idle <= %.0f /s, cpu while waiting <= %.1f %%\n",
                kMaxIdleWakeUpsPerSecond, kMaxWaitingCpuPercent);
    {
        // What a thousand wake-ups a second cost by themselves on this machine, for scale.
        Measure m;
        const double end = wallSeconds() + 1.0;
        while (wallSeconds() < end)
            QThread::msleep(1);
        m.report("baseline: bare 1 ms sleeps");
    }
    {
        Measure m(&pump);
        link.OpenStationPort(3);
        m.report("open + 1 s settle wait", kMaxIdleWakeUpsPerSecond, kMaxWaitingCpuPercent);
    }
    if (!channel.isOpen()) {
        std::fprintf(stderr, "port did not open\n");
        return 1;
    }

    // The probe: reads the command, thinks for 3 s, answers.
    std::thread probe([master] {
        char buf[64];
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0 || ::read(master, buf, sizeof buf) <= 0) return;
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const char reply[] = "12.5*";
        (void)!::write(master, reply, sizeof reply - 1);
    });
    QByteArray reply;
    {
        Measure m(&pump);
        reply = link.ExecuteTransaction(5.0, "*", "#00(v*", "Reading field Ex failed",
                                        "Reading field Ex", true);
        m.report("transaction, reply after 3 s", kMaxIdleWakeUpsPerSecond, kMaxWaitingCpuPercent);
    }
    probe.join();
    std::printf("reply: %s\n", reply.constData());

    {
        Measure m(&pump);
        link.WaitSeconds(2.0);
        m.report("idle wait 2 s, port open", kMaxIdleWakeUpsPerSecond, kMaxWaitingCpuPercent);
    }
    link.CloseStationPort();
    {
        Measure m(&pump);
        link.WaitSeconds(2.0);
        m.report("idle wait 2 s, port closed", kMaxIdleWakeUpsPerSecond, kMaxWaitingCpuPercent);
    }
    ::close(master);
    if (reply.isEmpty()) return 1;
    if (missed > 0) std::printf("bench_link_wait: %d target(s) missed\n", missed);
    return check && missed > 0 ? 1 : 0;
}

#else

#include <cstdio>

int main() {
    std::puts("bench_link_wait needs pseudo-terminals; skipped on this system");
    return 0;
}

#endif // Q_OS_UNIX
