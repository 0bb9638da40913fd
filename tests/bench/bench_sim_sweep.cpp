// 4001-point sweeps served by halvex-probesim through a pseudo-terminal, read with the
// program's serial port channel. Prints how long the pass took against the floor the line
// rate sets (20017 bytes at 3840 bytes a second), and the simulator's CPU time meanwhile
// (target: at most 0.5 % of the pass). With --check, a missed target makes the exit status
// non-zero.

#include "bench/BenchSupport.h"
#include "sim/ProbeModel.h"

#include <QElapsedTimer>

#include <functional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
// The simulator paces its output with timers; serving a stream should cost next to nothing.
constexpr double kMaxSimCpuPercent = 0.5;

// CPU seconds of a process, from /proc: the scheduler's nanosecond count of its main thread
// where there is one (the simulator serves everything from it), else user + system time in
// clock ticks, which are too coarse for a few seconds of a quiet process. -1 without /proc.
double cpuSeconds(qint64 pid) {
    // Some kernels keep no scheduler statistics and show 0.
    const QByteArray sched = readAll(QStringLiteral("/proc/%1/schedstat").arg(pid));
    const double ns = sched.split(' ').value(0).toDouble();
    if (ns > 0) return ns / 1e9;
    const QByteArray text = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return -1;
#ifdef Q_OS_UNIX
    const double tick = double(::sysconf(_SC_CLK_TCK));
#else
    const double tick = 100.0;
#endif
    return (fields[11].toDouble() + fields[12].toDouble()) / tick;
}

// Reads what arrives, polling every pollMs, until it is `enough` or timeoutMs have passed.
QByteArray readUntil(SerialPortChannel& port, int timeoutMs, int pollMs,
                     const std::function<bool(const QByteArray&)>& enough) {
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (!enough(got) && timer.elapsed() < timeoutMs) {
        port.waitForInput(pollMs);
        QByteArray chunk;
        const qint64 n = port.bytesWaiting();
        if (n > 0 && port.read(n, chunk)) got += chunk;
    }
    return got;
}

// Sends a command and waits (at most two seconds) for its reply: the echo, or what is given.
bool command(SerialPortChannel& port, const QByteArray& body, QByteArray reply = {}) {
    const QByteArray framed = "#00" + body + "*";
    if (reply.isEmpty()) reply = framed;
    const auto replied = [&](const QByteArray& got) { return got.contains(reply); };
    return port.write(framed, 1000) == framed.size() && replied(readUntil(port, 2000, 10, replied));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TempAppDir dir;
    bench::ProbeSim sim;
    if (!sim.start(dir.path(), 1)) return sim.built ? 1 : 0;

    SerialPortChannel port(dir.path());
    if (!port.open(1)) {
        std::printf("bench_sim_sweep: cannot open the simulated COM1\n");
        return 1;
    }
    if (!command(port, "(b5") || !command(port, QByteArray("~C\x01\x00", 4), "C\r\n") ||
        !command(port, "(i100000") || !command(port, "(s7500") || !command(port, "(f30100000")) {
        std::printf("bench_sim_sweep: the sweep could not be programmed\n");
        return 1;
    }
    const int points = 4001;
    const qint64 expected =
        ProbeModel::kSweepHeaderBytes + qint64(points) * ProbeModel::kSweepPointBytes + 1;
    const double floor = double(expected) / ProbeModel::kBytesPerSecond;
    // Three sweeps, so that the coarse CPU clock of /proc counts enough ticks.
    const double cpuBefore = cpuSeconds(sim.process.processId());
    double seconds = 0;
    bool complete = true;
    for (int sweep = 0; sweep < 3 && complete; ++sweep) {
        const bench::Stopwatch time;
        port.write("#00(g*", 1000);
        const QByteArray stream = readUntil(
            port, 60000, 20, [&](const QByteArray& got) { return got.size() >= expected; });
        const double s = time.wall();
        seconds += s;
        std::printf("bench_sim_sweep: %lld of %lld bytes (%d points) in %.3f s; line-rate "
                    "floor %.3f s; ratio %.3f\n",
                    qlonglong(stream.size()), qlonglong(expected), points, s, floor, s / floor);
        complete = stream.size() >= expected && stream.endsWith('*');
    }
    const double cpu = cpuSeconds(sim.process.processId()) - cpuBefore;
    bench::Targets targets;
    if (cpuBefore >= 0 && seconds > 0) {
        const double share = 100.0 * cpu / seconds;
        std::printf("bench_sim_sweep: simulator CPU during the sweeps %.3f s (%.2f%% of "
                    "their time, target <= %.1f%%)%s\n",
                    cpu, share, kMaxSimCpuPercent, targets.mark(share > kMaxSimCpuPercent));
    }
    return complete ? targets.exitCode() : 1;
}
