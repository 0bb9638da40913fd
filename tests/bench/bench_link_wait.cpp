// What a waiting probe link costs: a transaction over a pseudo-terminal whose peer answers
// after 3 s, and idle waits with the port open and closed, on the real clock and the Qt pump.
// Prints the pump's wake-ups per second of waiting (stable on a shared machine) and the
// process CPU time as a share of the wall time, beside the cost of bare 1 ms sleeps on the
// same machine. With --check, a missed target makes the exit status non-zero.

#include <QtGlobal>

#ifdef Q_OS_UNIX

#include "bench/BenchSupport.h"

#include <QDir>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace {

// Targets of a waiting program: it sleeps until something happens.
constexpr double kMaxIdleWakeUpsPerSecond = 2.0;
constexpr double kMaxWaitingCpuPercent = 0.3;

bench::Targets targets;

// Runs `action` and prints its wall time and CPU share; with the pump, also its wake-ups,
// against the targets of an idle wait.
template <class F> void measure(const char* what, const EventPump* pump, F action) {
    const long long wake0 = pump ? pump->wakeUps() : 0;
    const bench::Stopwatch time;
    action();
    const double wall = time.wall();
    const double share = wall > 0 ? 100.0 * time.cpu() / wall : 0.0;
    std::printf("%-34s wall %5.2f s  cpu/wall %6.3f %%", what, wall, share);
    if (pump) {
        const double rate = wall > 0 ? double(pump->wakeUps() - wake0) / wall : 0.0;
        std::printf("  wake-ups %7.1f /s", rate);
        if (rate > kMaxIdleWakeUpsPerSecond && ++targets.missed)
            std::printf("  MISSED wake-ups <= %.1f /s", kMaxIdleWakeUpsPerSecond);
        if (share > kMaxWaitingCpuPercent && ++targets.missed)
            std::printf("  MISSED cpu <= %.1f %%", kMaxWaitingCpuPercent);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    QtEventPump::preferLeanEventLoop(); // as the programs do
    QCoreApplication app(argc, argv);
    TempAppDir dir;

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    QDir().mkpath(dir.path() + "ports");
    QFile::link(QString::fromLocal8Bit(ptsname(master)), dir.path() + "ports/COM3");

    bench::PortLink port(dir.path());

    std::printf("targets: wake-ups while idle <= %.0f /s, cpu while waiting <= %.1f %%\n",
                kMaxIdleWakeUpsPerSecond, kMaxWaitingCpuPercent);
    // What a thousand wake-ups a second cost by themselves on this machine, for scale.
    measure("baseline: bare 1 ms sleeps", nullptr, [] {
        const bench::Stopwatch time;
        while (time.wall() < 1.0)
            QThread::msleep(1);
    });
    measure("open + 1 s settle wait", &port.pump, [&] { port.link.OpenStationPort(3); });
    if (!port.channel.isOpen()) {
        std::fprintf(stderr, "port did not open\n");
        return 1;
    }

    // The probe: reads the command, thinks for 3 s, answers.
    std::thread probe([master] {
        char buf[64];
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0 || ::read(master, buf, sizeof buf) <= 0) return;
        std::this_thread::sleep_for(std::chrono::seconds(3));
        (void)!::write(master, "12.5*", 5);
    });
    QByteArray reply;
    measure("transaction, reply after 3 s", &port.pump, [&] {
        reply = port.link.ExecuteTransaction(5.0, "*", "#00(v*", "Reading field Ex failed",
                                             "Reading field Ex", true);
    });
    probe.join();
    std::printf("reply: %s\n", reply.constData());

    measure("idle wait 2 s, port open", &port.pump, [&] { port.link.WaitSeconds(2.0); });
    port.link.CloseStationPort();
    measure("idle wait 2 s, port closed", &port.pump, [&] { port.link.WaitSeconds(2.0); });
    ::close(master);
    if (reply.isEmpty()) return 1;
    if (targets.missed > 0) std::printf("bench_link_wait: %d target(s) missed\n", targets.missed);
    return targets.exitCode();
}

#else

#include <cstdio>

int main() {
    std::puts("bench_link_wait needs pseudo-terminals; skipped on this system");
    return 0;
}

#endif // Q_OS_UNIX
