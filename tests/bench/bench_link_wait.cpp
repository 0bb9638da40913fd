// How much CPU a waiting probe link uses: a transaction over a pseudo-terminal whose peer
// answers after 3 s, on the real clock and the Qt pump with the port's input waiter. Prints
// the process CPU time as a share of the wall time (target: under 2 % of one core).

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

struct Measure {
    double cpu0 = cpuSeconds();
    double wall0 = wallSeconds();
    void report(const char* what) const {
        const double cpu = cpuSeconds() - cpu0;
        const double wall = wallSeconds() - wall0;
        std::printf("%-44s wall %6.2f s  cpu %6.3f s  cpu/wall %6.2f %%\n", what, wall, cpu,
                    wall > 0 ? 100.0 * cpu / wall : 0.0);
    }
};

} // namespace

int main(int argc, char** argv) {
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

    {
        // What the pump's 1 ms slices cost by themselves on this machine: the floor.
        Measure m;
        const double end = wallSeconds() + 1.0;
        while (wallSeconds() < end)
            QThread::msleep(1);
        m.report("baseline: bare 1 ms sleeps");
    }
    {
        Measure m;
        link.OpenStationPort(3);
        m.report("open + 1 s settle wait");
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
        Measure m;
        reply = link.ExecuteTransaction(5.0, "*", "#00(v*", "Reading field Ex failed",
                                        "Reading field Ex", true);
        m.report("transaction, reply after 3 s");
    }
    probe.join();
    std::printf("reply: %s\n", reply.constData());

    {
        Measure m;
        link.WaitSeconds(2.0);
        m.report("idle wait 2 s, port open");
    }
    link.CloseStationPort();
    {
        Measure m;
        link.WaitSeconds(2.0);
        m.report("idle wait 2 s, port closed");
    }
    ::close(master);
    return reply.isEmpty() ? 1 : 0;
}

#else

#include <cstdio>

int main() {
    std::puts("bench_link_wait needs pseudo-terminals; skipped on this system");
    return 0;
}

#endif // Q_OS_UNIX
