// One acquisition on the in-process simulator and the virtual clock, with a probe that has
// no noise or drift, so every level can be compared with what the probe encoded.

#include "AcquisitionRig.h"

#include "link/ProbeCommands.h"
#include "spectrum/SpcFile.h"
#include "spectrum/SpectrumFiles.h"

#include <QFileInfo>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

// The level the probe encodes for E on `axis` at hz, decoded as the program must decode it.
float encoded(ProbeModel& probe, int axis, double hz, int rbw, bool preamp = false) {
    const double factor = 0.125 * (preamp ? 0.2 : 1.0);
    const double level = probe.expectedLevel(axis, 0, hz, rbw, 0);
    return float(ProbeModel::decodePoint(ProbeModel::encodePoint(0, level, factor), factor));
}

TEST(Acquisition, ThreeAxesGiveTheExactWireTracesPeakAndWideBandAndTheNextSendsAllAgain) {
    AcquisitionRig rig;
    ASSERT_EQ(rig.run(), SweepOutcome::Done);

    std::deque<QByteArray> wire;
    for (const QByteArray& body : std::initializer_list<QByteArray>{
             "V", "(b0", QByteArray("~C\x01\x00", 4), QByteArray("~A\x02", 3), "(i100000",
             "(s75000", "(f30150000", "(g", QByteArray("~C\x02\x00", 4), "(g",
             QByteArray("~C\x03\x00", 4), "(g"})
        wire.push_back(ProbeLink::Frame(body));
    EXPECT_EQ(rig.probe().commands(), wire);

    ASSERT_EQ(rig.sink.saved.size(), 1u);
    const SpectrumData& d = *rig.sink.saved[0];
    ASSERT_EQ(d.NPoints, 399);
    EXPECT_EQ(d.Freq[398], 29.95f);
    double sum = 0;
    const auto zero = [](float v) { return v == 0.0f; }; // beyond the sweep
    EXPECT_TRUE(std::all_of(d.Freq.begin() + 399, d.Freq.end(), zero));
    for (const auto& trace : d.Level)
        EXPECT_TRUE(std::all_of(trace.begin() + 399, trace.end(), zero));
    for (int i = 0; i < 399; ++i) {
        double squares = 0;
        for (int a = 1; a <= 3; ++a) {
            const float want = encoded(rig.probe(), a, 100000.0 + i * 75000.0, 0);
            ASSERT_EQ(d.Level[size_t(a)][size_t(i)], want) << "axis " << a << " point " << i;
            squares += double(want) * want;
        }
        ASSERT_EQ(d.Level[0][size_t(i)], float(std::sqrt(squares))) << i;
        sum += squares;
    }
    const auto top = std::max_element(d.Level[0].begin(), d.Level[0].begin() + 399);
    const float peak = *top;
    const int peakIndex = int(top - d.Level[0].begin());
    EXPECT_GT(peak, 10.0f); // the 1 MHz carrier: 13 V/m
    EXPECT_EQ(d.LatchedPeakLevel, peak);
    EXPECT_EQ(d.LatchedPeakIndex, peakIndex);
    EXPECT_EQ(d.LatchedPeakFreq, d.Freq[size_t(peakIndex)]);
    const float wide = d.wideBand(0);
    EXPECT_NEAR(wide, std::max(std::sqrt(sum) * 0.5, double(peak)), 1e-5 * wide);

    EXPECT_EQ(rig.linesStartingWith("Start Sweep Spectrum"),
              QStringList{"Start Sweep Spectrum: E, (0.1 MHz - 30 MHz), 0.075 MHz, 300 kHz"});
    EXPECT_EQ(rig.linesStartingWith("Stop Sweep Spectrum"),
              QStringList{"Stop Sweep Spectrum: E, Peak " + boxLevelText(peak) + " @ " +
                          QString::number(d.Freq[size_t(peakIndex)], 'f', 4) +
                          " MHz WideBand: " + boxLevelText(wide)});
    EXPECT_EQ(rig.record.firmware, QStringLiteral("HVP 30 Rel 1.07*"));
    EXPECT_EQ(rig.record.dateText, QStringLiteral("2026/01/15"));
    EXPECT_TRUE(rig.record.timeText.startsWith("10:00:0")) << rig.record.timeText.toStdString();
    EXPECT_EQ(rig.view.axes, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rig.view.points, 3 * 399);
    EXPECT_EQ(rig.view.alarms, 0);
    EXPECT_EQ(rig.view.outcomes, std::vector<SweepOutcome>{SweepOutcome::Done});
    EXPECT_EQ(rig.marks.failedMarks, 0);
    EXPECT_EQ(rig.sink.cleanups, 1);
    // Nothing of the sweep stream is left for the next exchange.
    rig.link.WaitSeconds(0.5);
    EXPECT_EQ(rig.link.PortBytesWaiting(), 0);

    // Every acquisition sends the RBW and the preamplifier again and decodes the preamplifier.
    // List Mode sets another RBW in between; only Y is swept, with the preamplifier on.
    ProbeCommands(rig.link).SetRbw(3);
    SweepChoice choice;
    choice.preamp = true;
    choice.axes = {false, true, false};
    ASSERT_EQ(rig.run(choice), SweepOutcome::Done);
    EXPECT_EQ(rig.sent("(b0"), 1);
    EXPECT_EQ(rig.sent(QByteArray("~A\x03", 3)), 1);
    EXPECT_EQ(rig.sent(QByteArray("~C\x02\x00", 4)), 3);
    EXPECT_EQ(rig.probe().settings().rbwIndex, 0);
    const SpectrumData& y = *rig.sink.saved[1];
    for (int i = 0; i < y.NPoints; ++i) {
        const float want = encoded(rig.probe(), 2, 100000.0 + i * 75000.0, 0, true);
        ASSERT_EQ(y.Level[2][size_t(i)], want) << i;
        // Each acquisition starts from zero: the Total is Y alone.
        ASSERT_EQ(y.Level[1][size_t(i)], 0.0f);
        ASSERT_EQ(y.Level[0][size_t(i)], want) << i;
    }
}

TEST(Acquisition, TheStepIsInWholeHzAndTheAxisHoldsAtMost4001Points) {
    struct Case {
        float start, stop;
        int rbw;
        int points;
        QByteArray step, final;
    };
    // 10 MHz at 10 kHz: four points per RBW fill the 4001 points exactly. 1.0019 MHz at 1 kHz
    // needs more than a quarter RBW: the step is raised to 251 Hz and swept as such.
    for (const Case& c : {Case{0.1f, 10.1f, 3, 4001, "2500", "10105000"},
                          Case{1.0f, 2.0019f, 5, 3992, "251", "2002402"}}) {
        AcquisitionRig rig;
        rig.settings.setRange(c.start, c.stop);
        rig.settings.RbwIndex = qint16(c.rbw);
        ASSERT_EQ(rig.run(), SweepOutcome::Done) << c.points;
        EXPECT_EQ(rig.sent("(s" + c.step), 1);
        EXPECT_EQ(rig.sent("(f" + c.final), 1);
        EXPECT_EQ(rig.sent("(g"), 3);
        const SpectrumData& d = *rig.sink.saved[0];
        ASSERT_EQ(d.NPoints, c.points);
        EXPECT_EQ(d.Freq[size_t(c.points - 1)],
                  float((std::round(c.start * 1e6) + (c.points - 1) * c.step.toDouble()) / 1e6));
        EXPECT_EQ(rig.view.points, 3 * c.points);
        const double stepHz = c.step.toDouble();
        for (int i = 0; i < c.points; i += 97)
            ASSERT_EQ(d.Level[1][size_t(i)],
                      encoded(rig.probe(), 1, std::round(c.start * 1e6) + i * stepHz, c.rbw))
                << i;
    }
}

// Through the program's real spectrum files: a 4001-point sweep started before midnight keeps
// the start date and lands whole in that day's folder.
TEST(AcquisitionFiles, A4001PointSweepAcrossMidnightLandsWholeInTheStartDatesFolder) {
    // The port opens in a second; the acquisition starts at 23:59:59.
    AcquisitionRig rig(quietProbe(), {}, QDate(2026, 3, 31), 86398.0);
    SpectrumFiles files(rig.dir.path(), rig.clock);
    SweepAcquisition acquisition(rig.link, files, unitAcquisitionTexts(0));
    rig.settings.setRange(0.1f, 10.1f);
    rig.settings.RbwIndex = 3;
    ASSERT_EQ(acquisition.runAcquisition(0, rig.settings, rig.record, {}), SweepOutcome::Done);
    ASSERT_EQ(rig.clock.today(), QDate(2026, 4, 1));
    EXPECT_EQ(rig.record.date, QDate(2026, 3, 31));
    EXPECT_EQ(rig.record.dateText, QStringLiteral("2026/03/31"));
    EXPECT_EQ(rig.record.timeText, QStringLiteral("23:59:59"));
    EXPECT_EQ(rig.linesStartingWith("Stop Sweep Spectrum").size(), 1);
    EXPECT_TRUE(rig.ctx.eventLog.lastFailure().isEmpty());
    const QString folder = rig.dir.path() + "Test/241AB01001/2026/";
    EXPECT_FALSE(QFileInfo::exists(folder + "04/01"));

    const QString base = folder + "03/31/SM_E_23_59_59";
    ASSERT_EQ(QFileInfo(base + ".SPC").size(), 64446);
    SpectrumData loaded;
    SweepSettings loadedSettings;
    SpcHeader header;
    ASSERT_EQ(CaricaStrSpettro(base + ".SPC", header, loadedSettings, loaded), SpcLoad::Loaded);
    EXPECT_EQ(loaded.NPoints, 4001);
    const SpectrumData& live = acquisition.data();
    EXPECT_GT(live.LatchedPeakLevel, 10.0f); // the 1 MHz carrier, not an empty spectrum
    EXPECT_EQ(loaded.Level, live.Level);

    // Two column titles and one line per point, each 60 characters + CR LF.
    int columnLines = 0;
    for (const QByteArray& l : readAll(base + ".TXT").split('\n'))
        columnLines += l.size() == 61 && l.endsWith('\r');
    EXPECT_EQ(columnLines, 2 + 4001);
}

TEST(Acquisition, ASettingsChangeRestartsAndAFileThatCannotBeWrittenIsNoSuccess) {
    AcquisitionRig rig;
    bool asked = false;
    rig.pump.onEveryPump([&] {
        if (!asked && rig.acquisition.data().PointIndex == 200 && rig.view.passes == 2) {
            asked = true;
            rig.acquisition.requestRestart();
        }
    });
    rig.sink.writable = false;
    EXPECT_EQ(rig.run(), SweepOutcome::Failed);
    EXPECT_TRUE(asked);
    EXPECT_EQ(rig.view.restarts, 1);
    EXPECT_EQ(rig.sent("(i100000"), 2);
    EXPECT_EQ(rig.sent("(g"), 5);
    EXPECT_EQ(rig.linesStartingWith("Start Sweep Spectrum").size(), 2);
    EXPECT_TRUE(rig.linesStartingWith("Stop Sweep Spectrum").isEmpty());
    EXPECT_EQ(rig.marks.failedMarks, 0);
}

} // namespace
