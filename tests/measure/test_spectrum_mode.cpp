#include "CycleRig.h"
#include "link/ProbeLink.h"
#include "measure/SpectrumMode.h"
#include "spectrum/SpectrumFiles.h"
#include "spectrum/SweepAcquisition.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// What the run shows of Spectrum Mode, on top of the List Mode recording.
struct SpectrumView : RecordingView {
    void setSpectrumWait(int slot, const WaitBar& bar) override {
        bars[slot].push_back(bar);
        if (slot == watched && bar.visible) watchedCaptions << bar.caption;
    }
    void spectrumSwept(const SpectrumSweepUpdate& u) override {
        sweeps.push_back({u, clock->secondsSinceMidnight(), clock->today()});
    }
    void shutdownRequested() override { ++shutdowns; }

    struct Sweep {
        SpectrumSweepUpdate update;
        double at;
        QDate date;
    };
    const Clock* clock = nullptr;
    std::array<std::vector<WaitBar>, 16> bars;
    int watched = 0;
    QStringList watchedCaptions;
    std::vector<Sweep> sweeps;
    int shutdowns = 0;
};

// Stops the run at a chosen point of an acquisition.
struct StopAtPoint : NullSweepView {
    void pointDecoded(const SpectrumData&, int index, bool) override {
        if (index == 50 && action && !done) {
            done = true;
            action();
        }
    }
    void finished(SweepOutcome o) override {
        outcomes.push_back(o);
        if (clock) endedAt = clock->secondsSinceMidnight();
    }
    const Clock* clock = nullptr;
    double endedAt = 0;
    std::function<void()> action;
    bool done = false;
    std::vector<SweepOutcome> outcomes;
};

// A whole program with Spectrum Mode: the real acquisition and the real spectrum files.
struct SpectrumRig : CycleRig {
    explicit SpectrumRig(QDate date = QDate(2026, 1, 15), double seconds = 36000.0)
        : CycleRig({}, date, seconds), files(dir.path(), clock),
          acquisition(session->link(), files, unitAcquisitionTexts(0), &sweepView) {
        view.clock = &clock;
        sweepView.clock = &clock;
        session->setRunView(&view);
        session->setSweepRunner(&acquisition);
    }

    void panel(bool listMode, bool rateOn, int smRate, int lmRate = 10) {
        settingsChange([&](PanelRecord& p) {
            p.ListModeOn = listMode ? 1 : 0;
            p.SpectrumModeOn = 1;
            p.SpectrumRateOn = rateOn ? 1 : 0;
            p.SpectrumModeRateIndex = qint16(smRate);
            p.SpectrumModeFields = {1, 1};
            p.SpectrumModeThresholds = {5.0f, 1.0f};
            p.ListModeFields = {1, 0, 1};
            p.ListModeRate = qint16(lmRate);
            p.SpectrumStartFrequency = 1.0f;
            p.SpectrumStopFrequency = 30.0f;
            p.SpectrumRBWIndex = 0;
            p.SaveImage = {0, 0};
        });
    }

    // Spectrum files of a station (relative to its folder), sorted.
    QStringList spectra(const QString& serial, const QString& ext = "SPC") {
        QStringList out;
        QDirIterator it(dir.path() + "Test/" + serial, {"SM_*." + ext}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next().mid(dir.path().size() + 5 + serial.size() + 1);
        out.sort();
        return out;
    }
    std::vector<SpectrumView::Sweep> sweepsOf(int slot) {
        std::vector<SpectrumView::Sweep> out;
        for (const auto& s : view.sweeps)
            if (s.update.slot == slot) out.push_back(s);
        return out;
    }

    SpectrumView view;
    StopAtPoint sweepView;
    SpectrumFiles files;
    SweepAcquisition acquisition;
};
} // namespace

TEST(SpectrumModeRate, RateFromListAndSwitch) {
    EXPECT_EQ(DeterminaRateSM(10, Switches(QString{}), false), 86400);
    // "/RATEHOURS=n/" gives n minutes, and only in List Mode.
    const Switches two(QStringLiteral("/RATEHOURS=2/"));
    EXPECT_EQ(DeterminaRateSM(0, two, true), 120);
    EXPECT_EQ(DeterminaRateSM(0, two, false), 600);
}

TEST(SpectrumModeTurn, RatePathSweepsEachDueStationAfterItsReport) {
    SpectrumRig rig;
    rig.station(1, "111AA01111", {3, 4, 0}, {1.0, 13.56});
    rig.station(2, "222BB01222", {1, 1, 1}, {1.0, 13.56});
    rig.setTable({{1.0, 0}, {13.56, 0}});
    rig.panel(true, true, 1); // List Mode every 10 min, Spectrum Mode every 15 min
    rig.session->run().maxPeriods = 3;
    const double start = rig.clock.secondsSinceMidnight();

    EXPECT_EQ(rig.session->CMBExecute(), Session::ExecuteResult::ListModeRun);

    // Reports at 10, 20 and 30 min: sweeps after the first and the third, none at 20 min.
    ASSERT_EQ(rig.view.sweeps.size(), 8u);
    for (const auto& s : rig.view.sweeps) {
        EXPECT_EQ(s.update.outcome, SweepOutcome::Done);
        const double minutes = (s.at - start) / 60.0;
        EXPECT_TRUE((minutes > 10 && minutes < 13) || (minutes > 30 && minutes < 33)) << minutes;
    }
    for (const QString& serial : {QStringLiteral("111AA01111"), QStringLiteral("222BB01222")}) {
        const QStringList spc = rig.spectra(serial);
        ASSERT_EQ(spc.size(), 4) << spc.join(' ').toStdString();
        EXPECT_EQ(spc.filter("/SM_E_").size(), 2);
        EXPECT_EQ(spc.filter("/SM_H_").size(), 2);
        EXPECT_EQ(rig.spectra(serial, "TXT").size(), 4);
    }
    EXPECT_EQ(rig.session->spectrumMode().stations()[0].count, 2);
    EXPECT_EQ(rig.eventLog().count("Stop Sweep Spectrum: "), 8);

    // The inhibit bars appear with the first sweep and count down between reports.
    ASSERT_FALSE(rig.view.watchedCaptions.isEmpty());
    EXPECT_EQ(rig.view.watchedCaptions.first(), QStringLiteral("00:15:00"));
    // Counting down: a later caption of the first wait is below ten minutes.
    EXPECT_FALSE(rig.view.watchedCaptions.filter(QRegularExpression("^00:0\\d:")).isEmpty())
        << rig.view.watchedCaptions.join(' ').toStdString();
    EXPECT_EQ(rig.view.bars[0].front().maximum, 900);
    EXPECT_TRUE(rig.view.columns.contains(Column::SpectrumInhibit));
    // The scan after a sweep sends the RBW again at its first row.
    const auto& sent = rig.channel->probe(1)->commands();
    auto row = std::find(sent.begin(), sent.end(), ProbeLink::Frame("(g"));
    row = std::find_if(row, sent.end(), [](const QByteArray& c) { return c.startsWith("#00(t "); });
    ASSERT_GT(sent.end() - row, 1); // a sweep, then a first row and what follows it
    EXPECT_TRUE(row[1].startsWith("#00(b")) << row[1].constData();
    // The run's last report still ends with the run's stop line, and the run closes.
    EXPECT_TRUE(rig.report("111AA01111").contains("Stop"));
    const QByteArray log = rig.eventLog();
    EXPECT_GT(log.indexOf("Scan Close (List Mode)"), log.lastIndexOf("Stop Sweep Spectrum: "));
}

TEST(SpectrumModeTurn, ThresholdPathSweepsOnlyMarkedStations) {
    SpectrumRig rig;
    rig.station(1, "111AA01111", {6, 8, 0}, {1.0});   // 10 V/m: above 5
    rig.station(2, "222BB01222", {0.5, 0, 0}, {1.0}); // below
    rig.setTable({{1.0, 0}});
    rig.panel(true, false, 1); // the inhibit time (15 min) outlasts the next report
    rig.settingsChange([](PanelRecord& p) { p.SpectrumModeFields = {1, 0}; });
    rig.session->run().maxPeriods = 2;
    // The second station rises above the threshold from the second period on.
    const double start = rig.clock.secondsSinceMidnight();
    bool raised = false;
    rig.view.onReading = [&](const ReadingUpdate& u) {
        if (raised || u.slot != 0 || rig.clock.secondsSinceMidnight() < start + 600) return;
        raised = true;
        rig.addProbe(2, "222BB01222", {6, 8, 0}, {1.0});
    };

    EXPECT_EQ(rig.session->CMBExecute(), Session::ExecuteResult::ListModeRun);

    // The station whose block carries a mark is swept, its headers carry the threshold; the
    // other is swept at the first report where its block carries one.
    const QByteArray rising = rig.report("222BB01222");
    const qsizetype secondBlock = rising.indexOf("Station: ", rising.indexOf("Station: ") + 1);
    ASSERT_GT(secondBlock, 0) << rising.constData();
    EXPECT_FALSE(rising.left(secondBlock).contains("* "));
    EXPECT_TRUE(rising.mid(secondBlock).contains("* "));
    const QStringList txt = rig.spectra("111AA01111", "TXT");
    ASSERT_EQ(txt.size(), 1); // then inhibited at the second report
    EXPECT_TRUE(readAll(rig.dir.path() + "Test/111AA01111/" + txt[0]).contains("Threshold: 5"));
    const auto second = rig.sweepsOf(1);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_GT(second[0].at - start, 1200.0);
    EXPECT_LT(second[0].at - start, 1300.0);
    // Below the threshold it was neither swept nor inhibited, so nothing kept it waiting.
    EXPECT_EQ(rig.view.bars[1].size(), 1u);

    // Exactly at the threshold is due; just below it is not, and nothing is opened.
    SpectrumMode& sm = rig.session->spectrumMode();
    SpectrumModeSettings s = SpectrumModeSettings::from(rig.session->panelModel().panel());
    s.fields = {true, false};
    sm.begin(s, Session::runStationsFrom(rig.session->panelModel().panel()), true);
    rig.channel->probe(2)->clearCommands();
    EXPECT_EQ(sm.EseguiSpettroConContLim(1, 4.9999f, 0.0f), SweepCode::Nothing);
    EXPECT_TRUE(rig.channel->probe(2)->commands().empty());
    EXPECT_EQ(sm.EseguiSpettroConContLim(1, 5.0f, 0.0f), SweepCode::Swept);
}

TEST(SpectrumModeAlone, KeepsEachStationsRateAcrossMidnightAndRetriesASilentOne) {
    SpectrumRig rig(QDate(2026, 1, 15), 86400.0 - 15 * 60); // 23:45
    rig.station(1, "111AA01111", {3, 4, 0}, {1.0});
    rig.station(2, "222BB01222", {1, 1, 1}, {13.56});
    rig.station(3, "333CC01333", {1, 1, 1}, {13.56}).setPresent(false);
    rig.setTable({{1.0, 0}});
    rig.panel(false, true, 0); // 10 min
    rig.pump.after(35 * 60, [&] { rig.session->CMBStop(); });

    EXPECT_EQ(rig.session->CMBExecute(), Session::ExecuteResult::SpectrumOnly);

    // The grid shows the link time, the battery and the inhibit time, then the panel again.
    EXPECT_EQ(rig.view.columns,
              QList<Column>({Column::LastLinkTime, Column::Battery, Column::SpectrumInhibit}));
    EXPECT_TRUE(rig.view.gridRestored);
    for (int slot : {0, 1}) {
        const auto sweeps = rig.sweepsOf(slot);
        ASSERT_EQ(sweeps.size(), 8u) << slot;
        // E then H at about 0, 10, 20 and 30 minutes: each waits its rate after its sweep.
        for (size_t i = 2; i < sweeps.size(); i += 2) {
            double gap = sweeps[i].at - sweeps[i - 2].at;
            if (gap < 0) gap += 86400;
            EXPECT_GT(gap, 600.0);
            EXPECT_LT(gap, 660.0);
        }
    }
    // Each file lies in the folder of the day its acquisition started.
    const QStringList spc = rig.spectra("111AA01111");
    ASSERT_EQ(spc.size(), 8);
    const auto before = std::ranges::count_if(
        rig.sweepsOf(0), [](const SpectrumView::Sweep& s) { return s.date == QDate(2026, 1, 15); });
    EXPECT_GT(before, 0);
    EXPECT_EQ(spc.filter("2026/01/15/").size(), before);
    EXPECT_EQ(spc.filter("2026/01/16/").size(), 8 - before);

    // The silent station is tried at every pass and never inhibited.
    const QByteArray log = rig.eventLog(QDate(2026, 1, 15)) + rig.eventLog(QDate(2026, 1, 16));
    EXPECT_GE(log.count("Port 3 not available"), 4);
    EXPECT_FALSE(rig.session->spectrumMode().stations()[2].next);
    EXPECT_EQ(log.count("Scan Start (Spectrum Mode)"), 1);
    EXPECT_EQ(log.count("Scan Close (Spectrum Mode)"), 1);
    EXPECT_FALSE(rig.session->running());
}

// A stop or a close during a sweep, with List Mode or alone, or a close in Spectrum Mode's wait
// for the next sweep: the sweep ends as a manual stop and the run closes in order.
TEST(SpectrumModeStop, StopOrCloseDuringASweepOrTheWaitEndsTheRunInOrder) {
    const struct {
        bool listMode, close, duringSweep;
    } cases[] = {
        {true, false, true}, {true, true, true}, {false, true, true}, {false, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "List Mode " << c.listMode << ", close " << c.close
                                        << ", during the sweep " << c.duringSweep);
        SpectrumRig rig;
        rig.oneStation();
        rig.panel(c.listMode, true, 0);
        double stopAt = 0;
        auto stop = [&] {
            stopAt = rig.clock.secondsSinceMidnight();
            rig.ctx->flags.ExitRequest = c.close;
            if (c.listMode)
                rig.session->CMBStop();
            else
                rig.ctx->flags.StopRequest = true;
        };
        if (c.duringSweep)
            rig.sweepView.action = stop;
        else
            rig.pump.after(300, stop); // in the wait for the next sweep
        // A sweep stop left raised before the run does not stop it.
        rig.ctx->flags.SweepStop = true;

        EXPECT_EQ(rig.session->CMBExecute(), c.listMode ? Session::ExecuteResult::ListModeRun
                                                        : Session::ExecuteResult::SpectrumOnly);

        EXPECT_GT(stopAt, 0);
        EXPECT_LT(rig.clock.secondsSinceMidnight() - stopAt, 2.0);
        ASSERT_FALSE(rig.sweepView.outcomes.empty());
        EXPECT_EQ(rig.sweepView.outcomes.back() == SweepOutcome::ManualStop, c.duringSweep);
        EXPECT_LT(c.duringSweep ? rig.sweepView.endedAt - stopAt : 0.0, 1.0);
        const QByteArray log = rig.eventLog();
        const qsizetype end =
            log.indexOf(c.listMode ? "Scan Close (List Mode)" : "Scan Close (Spectrum Mode)");
        ASSERT_GT(end, 0) << log.constData();
        const qsizetype manual = log.indexOf("*** Stop Sweep Spectrum manual");
        EXPECT_EQ(manual >= 0, c.duringSweep);
        EXPECT_LT(manual, end);
        EXPECT_EQ(rig.spectra("111AA01111").size(), c.duringSweep ? 0 : 2);
        EXPECT_EQ(rig.session->spectrumMode().stations()[0].count, c.duringSweep ? 0 : 1);
        EXPECT_TRUE(rig.view.failedMarks.empty());
        EXPECT_TRUE(!c.listMode || rig.report("111AA01111").contains("Stop"));
        EXPECT_EQ(rig.view.shutdowns, c.close ? 1 : 0);
        EXPECT_FALSE(rig.ctx->flags.SweepStop);
        EXPECT_FALSE(rig.ctx->flags.StopRequest);
        EXPECT_FALSE(rig.session->running());
    }
}

TEST(SpectrumModeSingle, SweepsTheStationAndClosesItsPort) {
    SpectrumRig rig;
    rig.oneStation();
    rig.panel(true, true, 0);

    EXPECT_TRUE(rig.session->CMBEseguiSpettroSingCent(0));
    const QStringList spc = rig.spectra("111AA01111");
    EXPECT_EQ(spc.filter("/SM_E_").size(), 1);
    EXPECT_EQ(spc.filter("/SM_H_").size(), 1);
    EXPECT_EQ(rig.session->spectrumMode().stations()[0].count, 1);
    EXPECT_FALSE(rig.ctx->flags.MeasurementRunning);
    EXPECT_FALSE(rig.session->CMBEseguiSpettroSingCent(5)); // no station there
}
