// A month of unattended List Mode on the virtual clock: 16 simulated stations, a 10-minute
// report period that starts five minutes before midnight (so periods cross it), and probe
// faults switched on and off at random every simulated hour (seeded). Checks that every
// station has one complete block for every period in which it answered, and one event-log
// file per day. Prints wall seconds per simulated day and resident memory at the end of
// day 1 and of the last day.
// Usage: bench_soak [days (30)] [seed (19)]
#include "bench/BenchSupport.h"
#include "measure/CycleRig.h"

#include <QRegularExpression>

#include <random>
#include <set>

namespace {
constexpr int kStations = 16;
constexpr int kRateMinutes = 10;
constexpr qint64 kPeriodMicros = qint64(kRateMinutes) * 60 * 1000000;
constexpr qint64 kHourMicros = qint64(3600) * 1000000;

QByteArray serialOf(int i) {
    const QByteArray n = QByteArray::number(100 + i);
    return n + "SK01" + n;
}

// Faults a station recovers from within a pass, and silence, which loses the station for
// the hour. Only the recoverable ones leave the station "answering".
const FaultKind kRecoverable[] = {FaultKind::Split, FaultKind::Garbage, FaultKind::Notice};
} // namespace

int main(int argc, char** argv) {
    const int days = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    const unsigned seed = argc > 2 ? unsigned(atoi(argv[2])) : 19u;
    const QDate firstDay(2026, 1, 15);
    // 23:55 on the day before: the first period crosses midnight, and so does every 144th.
    CycleRig rig({}, firstDay.addDays(-1), 23 * 3600 + 55 * 60, 0.02);
    // The rig's recording view keeps every reading it is shown; a month of them is the
    // rig's memory, not the program's. The run shows nothing here.
    rig.session->setRunView(nullptr);
    rig.session->setLinkView(nullptr);
    const qint64 start = rig.clock.micros();
    const std::vector<double> freqs = {1.0, 10.0, 27.0};
    for (int i = 0; i < kStations; ++i) {
        rig.addProbe(i + 1, serialOf(i), {1.0 + i, 2.0, 0.5}, freqs);
        rig.addStation(i + 1);
    }
    rig.setTable({{1.0, 0}, {10.0, 1}, {27.0, 2}});
    rig.settingsChange([](PanelRecord& p) {
        p.ListModeOn = 1;
        p.SpectrumModeOn = 0;
        p.ListModeFields = {1, 0, 0};
        p.ListModeRate = kRateMinutes;
    });

    // Every hour each station draws its faults for the next hour; silent hours are kept so
    // the check knows which periods a station could not answer.
    std::mt19937 random(seed);
    std::vector<std::set<qint64>> silentHours(kStations);
    std::function<void(qint64)> drawFaults = [&](qint64 hour) {
        for (int i = 0; i < kStations; ++i) {
            FaultSet& f = rig.channel->network().probe(i + 1)->faults();
            const bool silent = std::uniform_int_distribution<int>(0, 49)(random) == 0;
            f[FaultKind::Silent].enabled = silent;
            if (silent) silentHours[size_t(i)].insert(hour);
            for (FaultKind k : kRecoverable) {
                const bool on = std::uniform_int_distribution<int>(0, 9)(random) == 0;
                f[k] = on ? Fault::defaults(k) : Fault();
                f[k].count = on ? 3 : -1;
            }
        }
        if (hour < qint64(days) * 24)
            rig.pump.at(start + (hour + 1) * kHourMicros, [&, hour] { drawFaults(hour + 1); });
    };
    drawFaults(0);

    // Wall time and memory at each midnight.
    bench::Stopwatch wall;
    double dayWalls = 0; // summed
    std::vector<long> dayRss;
    const qint64 firstMidnight = start + 5 * 60 * qint64(1000000);
    for (int day = 0; day <= days; ++day)
        rig.pump.at(firstMidnight + day * 24 * kHourMicros, [&, day] {
            if (day > 0) {
                dayWalls += wall.wall();
                dayRss.push_back(bench::residentKiB());
                std::fprintf(stderr, "day %d: %.2f s, %ld KiB\n", day, wall.wall(), dayRss.back());
            }
            wall.restart();
        });

    // Up to 00:05 after the last day.
    rig.session->run().maxPeriods = days * 24 * 60 / kRateMinutes + 1;
    const bench::Stopwatch total;
    rig.session->CMBExecute();
    const double totalSeconds = total.wall();
    const double cpuPerDay = total.cpu() / days;

    // Every block of every station, by the time of its first reading. A period starts when
    // the previous one has been reported, so periods do not keep to a fixed grid: a missing
    // period shows as a gap of two periods between blocks, a period reported twice as two
    // blocks close together. A gap is allowed only where the station was silent.
    int failures = 0;
    auto fail = [&failures](const QString& what) {
        if (++failures <= 20) std::printf("  FAIL %s\n", qPrintable(what));
    };
    const QRegularExpression header(
        R"(^Station: \S+ Reading : \d+ (\d\d/\d\d/\d{4} \d\d:\d\d:\d\d))");
    const QDateTime origin = rig.clock.now().addMSecs(-(rig.clock.micros() - start) / 1000);
    int blocks = 0;
    for (int i = 0; i < kStations; ++i) {
        std::vector<qint64> firsts; // micros after the start of the run
        for (int d = -1; d <= days + 1; ++d) {
            const auto lines = rig.report(serialOf(i), firstDay.addDays(d)).split('\n');
            for (qsizetype l = 0; l < lines.size(); ++l) {
                const auto m = header.match(QString::fromLatin1(lines[l].trimmed()));
                if (!m.hasMatch()) continue;
                ++blocks;
                const auto first = QDateTime::fromString(m.captured(1), "dd/MM/yyyy HH:mm:ss");
                firsts.push_back(origin.msecsTo(first) * 1000);
                // A complete block: after its heading, one line per table row.
                qsizetype k = l + 1, rows = 0;
                while (k < lines.size() && !lines[k].startsWith("Frequency MHz"))
                    ++k;
                while (++k < lines.size() && !lines[k].trimmed().isEmpty() &&
                       !lines[k].startsWith("-"))
                    ++rows;
                if (rows != qsizetype(freqs.size()))
                    fail(QString::asprintf("station %d block %d: %lld rows", i, blocks,
                                           qlonglong(rows)));
            }
        }
        std::sort(firsts.begin(), firsts.end());
        auto silentBetween = [&](qint64 from, qint64 to) {
            for (qint64 h = std::max<qint64>(0, from / kHourMicros); h <= to / kHourMicros; ++h)
                if (silentHours[size_t(i)].count(h)) return true;
            return false;
        };
        firsts.insert(firsts.begin(), -kPeriodMicros / 2); // the run's start
        firsts.push_back(rig.clock.micros() - start);      // and its end
        for (size_t b = 1; b < firsts.size(); ++b) {
            const qint64 gap = firsts[b] - firsts[b - 1];
            if (gap > kPeriodMicros * 3 / 2 && !silentBetween(firsts[b - 1], firsts[b]))
                fail(QString::asprintf("station %d: no block for %lld minutes after minute %lld", i,
                                       gap / 60000000, firsts[b - 1] / 60000000));
            if (gap < kPeriodMicros / 2)
                fail(QString::asprintf("station %d: two blocks at minute %lld", i,
                                       firsts[b] / 60000000));
        }
    }
    for (int d = -1; d <= days; ++d)
        if (rig.eventLog(firstDay.addDays(d)).isEmpty())
            fail(QString::asprintf("no event log for day %d", d));

    const double perDay = dayRss.empty() ? totalSeconds / days : dayWalls / double(dayRss.size());
    std::printf("bench_soak: %d stations, %d-minute periods, %d simulated days (seed %u)\n",
                kStations, kRateMinutes, days, seed);
    std::printf("  periods run: %d; blocks found: %d (%d stations)\n",
                rig.session->run().state().periodsCompleted, blocks, kStations);
    std::printf(
        "  wall seconds per simulated day: %.2f (total %.1f s); CPU seconds per day: %.2f\n",
        perDay, totalSeconds, cpuPerDay);
    if (!dayRss.empty())
        std::printf("  resident memory: day 1 %ld KiB, day %d %ld KiB (ratio %.3f)\n",
                    dayRss.front(), int(dayRss.size()), dayRss.back(),
                    double(dayRss.back()) / double(dayRss.front()));
    std::printf("  %s\n", failures == 0 ? "every check passed" : "CHECKS FAILED");
    return failures == 0 ? 0 : 1;
}
