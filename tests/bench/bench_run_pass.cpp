// One List Mode pass of three stations against halvex-probesim over pseudo-terminals, on the
// real clock: the time of a pass as a ratio to its floor, the CPU the process used as a share
// of the wall time and the pump's wake-ups per second. With --check, a missed target makes the
// exit status non-zero.
//
// Floor of a pass: the program's fixed waits (1 s after each port open, 1 s after each visit,
// 2 x 0.05 s around the battery reading), the probe's own processing time (0.01 s before each
// reply, 0.04 s more for a reading) and every byte both ways at 38400 baud (3840 bytes/s).

#include "bench/BenchSupport.h"
#include "freqtable/FreqTableFile.h"
#include "measure/Session.h"
#include "panel/SettingsFile.h"

#include <numeric>
#include <vector>
#ifdef Q_OS_LINUX
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
// A pass waits on the line and on fixed delays almost all the time.
constexpr double kMaxRatio = 1.005;
constexpr double kMaxCpuPercent = 0.5;

// The serial port, counting what crosses the wire and where the time beyond the floor goes:
// in flight (from a command's write to the last byte of its reply, beyond the line and the
// probe's processing) or in the program (from a reply to the next command).
class CountingChannel : public SerialPortChannel {
public:
    using SerialPortChannel::SerialPortChannel;
    bool open(int port) override {
        ++opens;
        return SerialPortChannel::open(port);
    }
    qint64 write(const QByteArray& data, int timeoutMs) override {
        const double now = bench::wallSeconds();
        // Longer gaps are the fixed waits and port changes.
        if (replyEnd > 0 && now - replyEnd < kFixedWaitSeconds) turnaround += now - replyEnd;
        replyEnd = 0;
        sent = now;
        expected = 0.01 + double(data.size()) / 3840.0;
        ++commands;
        if (data == "#00(v*") {
            ++readings;
            expected += 0.04;
        }
        bytesOut += data.size();
        return SerialPortChannel::write(data, timeoutMs);
    }
    bool read(qint64 count, QByteArray& out) override {
        const bool ok = SerialPortChannel::read(count, out);
        bytesIn += out.size();
        expected += double(out.size()) / 3840.0;
        // Every reply of a pass ends in one of these.
        if (out.endsWith('*') || out.endsWith('\n')) {
            replyEnd = bench::wallSeconds();
            inFlight += replyEnd - sent - expected;
        }
        return ok;
    }
    void reset() {
        opens = commands = readings = bytesOut = bytesIn = 0;
        inFlight = turnaround = replyEnd = 0;
    }
    static constexpr double kFixedWaitSeconds = 0.03;
    qint64 opens = 0, commands = 0, readings = 0, bytesOut = 0, bytesIn = 0;
    double sent = 0, expected = 0, replyEnd = 0, inFlight = 0, turnaround = 0;
};

// The exchange stripped to the line: a peer process answers an 8-byte command with 3 bytes
// after their line time and 10 ms, over a pseudo-terminal and a timer, as the simulator
// does. The mean time beyond that floor is this machine's cost of the three wake-ups of
// every exchange between two processes (command in, reply due, reply in), which no program
// can avoid: with both on one CPU, or on two, where each wake-up has to wake an idle CPU
// (on a virtual machine that is the costly part). -1 when it cannot be measured here.
double machineExchangeExcess(bool oneCpu) {
#ifdef Q_OS_LINUX
    cpu_set_t all;
    if (::sched_getaffinity(0, sizeof all, &all) != 0 || CPU_COUNT(&all) < (oneCpu ? 1 : 2))
        return -1;
    std::vector<int> cpus;
    for (int c = 0; c < CPU_SETSIZE && cpus.size() < 2; ++c)
        if (CPU_ISSET(c, &all)) cpus.push_back(c);
    auto runOn = [](int cpu) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        ::sched_setaffinity(0, sizeof one, &one);
    };
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return -1;
    const int port = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    termios raw{};
    if (port < 0 || ::tcgetattr(port, &raw) != 0) return -1;
    ::cfmakeraw(&raw);
    ::tcsetattr(port, TCSANOW, &raw);
    constexpr int kExchanges = 200;
    const double floor = 11.0 / 3840.0 + 0.01;
    // The peer only makes system calls, which is all a child of a threaded process may do.
    const pid_t peer = ::fork();
    if (peer < 0) return -1;
    if (peer == 0) {
        runOn(oneCpu ? cpus[0] : cpus[1]);
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        const int timer = ::timerfd_create(CLOCK_MONOTONIC, 0);
        const itimerspec due{{0, 0}, {0, long(floor * 1e9)}};
        char buf[16];
        for (int i = 0; i < kExchanges; ++i) {
            pollfd in{master, POLLIN, 0};
            if (::poll(&in, 1, 5000) <= 0 || ::read(master, buf, sizeof buf) <= 0) break;
            ::timerfd_settime(timer, 0, &due, nullptr);
            pollfd t{timer, POLLIN, 0};
            ::poll(&t, 1, 1000);
            (void)!::read(timer, buf, 8);
            (void)!::write(master, "C\r\n", 3);
        }
        ::_exit(0);
    }
    runOn(cpus[0]);
    std::vector<double> excess;
    for (int i = 0; i < kExchanges; ++i) {
        const double start = bench::wallSeconds();
        if (::write(port, "#00~C\1\0*", 8) != 8) break;
        char buf[16];
        qsizetype got = 0;
        pollfd in{port, POLLIN, 0};
        while (got < 3 && ::poll(&in, 1, 1000) > 0) {
            const ssize_t n = ::read(port, buf, sizeof buf);
            if (n <= 0) break;
            got += n;
        }
        if (got < 3) break;
        excess.push_back(bench::wallSeconds() - start - floor);
    }
    ::sched_setaffinity(0, sizeof all, &all);
    ::kill(peer, SIGKILL);
    ::waitpid(peer, nullptr, 0);
    ::close(port);
    ::close(master);
    if (excess.size() < size_t(kExchanges)) return -1;
    return std::accumulate(excess.begin(), excess.end(), 0.0) / double(kExchanges);
#else
    return -1;
#endif
}

} // namespace

int main(int argc, char** argv) {
    QtEventPump::preferLeanEventLoop(); // as halvex-run does
    QCoreApplication app(argc, argv);
    TempAppDir dir;
    bench::ProbeSim probes;
    if (!probes.start(dir.path(), 3)) return 0;

    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(dir.path(), {}, clock, pump);
    CountingChannel channel(ctx.appDir);

    FreqTable table;
    const double freqs[] = {0.531, 1.8, 3.5, 6.07, 7.1, 9.5, 13.56, 21.5, 27.0, 27.12};
    for (int i = 0; i < 10; ++i)
        table.rows[i] = {freqs[i], qint16(i % 3), 0};
    FreqTableFile::write(dir.path() + "Table/BENCH.FTR", table);
    SettingsRecord settings = SettingsDefaults();
    Session session(ctx, settings, channel);
    session.panelModel().startUp();
    for (int p : {1, 2, 3})
        session.panelModel().addStation(p, {}, {}, true);
    session.panelModel().setFreqTableName("BENCH");
    session.panelModel().editSettings([](PanelRecord& p) {
        p.ListModeOn = 1;
        p.SpectrumModeOn = 0;
        p.ListModeRate = 10;
        p.ListModeFields = {1, 0, 1};
    });

    // Pass 1 also reads serial numbers and firmware; pass 2 is the pass of every later
    // period, and is the one measured.
    bench::Stopwatch time;
    double passSeconds = 0, cpuShare = 0, floor = 0, inFlight = 0, turnaround = 0;
    long long wakeStart = 0, wakeUps = 0;
    session.run().passEnded = [&](int passes) {
        if (passes == 1) {
            channel.reset();
            time.restart();
            wakeStart = pump.wakeUps();
            return;
        }
        passSeconds = time.wall();
        cpuShare = time.cpu() / passSeconds;
        wakeUps = pump.wakeUps() - wakeStart;
        inFlight = channel.inFlight;
        turnaround = channel.turnaround;
        floor = channel.opens * (1.0 + 1.0 + 0.1) + channel.commands * 0.01 +
                channel.readings * 0.04 + double(channel.bytesOut + channel.bytesIn) / 3840.0;
        session.CMBStop();
    };
    QString why;
    if (session.CMBExecute(&why) != Session::ExecuteResult::ListModeRun || passSeconds <= 0) {
        std::printf("bench_run_pass: the run did not take place: %s\n", qPrintable(why));
        return 0;
    }

    std::printf("bench_run_pass: 3 stations x 10 frequencies, E and H: %lld commands, "
                "%lld bytes out, %lld bytes in\n",
                channel.commands, channel.bytesOut, channel.bytesIn);
    const double ratio = passSeconds / floor;
    bench::Targets targets;
    std::printf("  pass time %.3f s, floor %.3f s, ratio %.4f (target <= %.3f)%s\n", passSeconds,
                floor, ratio, kMaxRatio, targets.mark(ratio > kMaxRatio));
    std::printf("  CPU time %.2f %% of wall time (target <= %.1f %%)%s\n", cpuShare * 100.0,
                kMaxCpuPercent, targets.mark(cpuShare * 100.0 > kMaxCpuPercent));
    std::printf("  pump wake-ups %lld, %.1f per second of the pass\n", wakeUps,
                double(wakeUps) / passSeconds);
    // For scale: what the pass takes beyond its floor per command and where, beside what a
    // bare exchange between two processes takes on this machine (no target: it says what the
    // ratio can reach here).
    const double perCommand = 1000.0 / double(channel.commands);
    const double beyond = passSeconds - floor;
    std::printf("  beyond the floor per command %.3f ms: %.3f in flight, %.3f from reply to next "
                "command, %.3f around the fixed waits and port changes\n",
                beyond * perCommand, inFlight * perCommand, turnaround * perCommand,
                (beyond - inFlight - turnaround) * perCommand);
    for (const bool oneCpu : {true, false}) {
        const double machine = machineExchangeExcess(oneCpu);
        if (machine < 0) continue;
        std::printf("  a bare exchange between two processes %s: %.3f ms beyond the line, so "
                    "the best ratio there is about %.4f\n",
                    oneCpu ? "on one CPU" : "on two CPUs", 1000.0 * machine,
                    (floor + machine * double(channel.commands)) / floor);
    }
    return targets.exitCode();
}
