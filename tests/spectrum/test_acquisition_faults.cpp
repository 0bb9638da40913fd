// A probe that misbehaves during an acquisition: the sweep must either come out exactly as a
// clean one or end with the right outcome, log lines and station mark.

#include "AcquisitionRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

StationConfig withFault(FaultKind kind, const std::function<void(Fault&)>& tune) {
    StationConfig st = quietProbe();
    Fault f = Fault::defaults(kind);
    tune(f);
    st.faults[kind] = f;
    return st;
}

TEST(AcquisitionFaults, ACutPassIsSweptAgainAndTheSpectrumEqualsACleanOne) {
    AcquisitionRig clean;
    ASSERT_EQ(clean.run(), SweepOutcome::Done);
    const SpectrumData& want = *clean.sink.saved[0];
    const auto spectrum = [](const SpectrumData& d) {
        return std::tie(d.NPoints, d.Freq, d.Level, d.LatchedPeakLevel, d.LatchedPeakFreq,
                        d.LatchedSumSquares);
    };

    struct Case {
        const char* name;
        StationConfig station;
        int passes;
        int alarms;
        bool inThirdPass = false; // armed during the second pass, so that the third "(g" has it
    };
    const Case cases[] = {
        {"wrong sequence byte mid-pass",
         withFault(FaultKind::BadSequence, [](Fault& f) { f.point = 200, f.count = 1; }), 4, 1},
        {"wrong sequence byte at point 0",
         withFault(FaultKind::BadSequence, [](Fault& f) { f.point = 0, f.count = 1; }), 4, 1},
        {"stall for good mid-pass",
         withFault(FaultKind::Stall, [](Fault& f) { f.point = 150, f.count = 1; }), 4, 1},
        {"stall of 0.5 s in the third pass",
         withFault(FaultKind::Stall,
                   [](Fault& f) { f.point = 300, f.duration = 0.5, f.count = 0; }),
         4, 1, true},
        {"notice inside the stream",
         withFault(FaultKind::Notice, [](Fault& f) { f.commands = {"(g"}, f.count = 2; }), 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AcquisitionRig rig(c.station);
        if (c.inThirdPass)
            rig.pump.onEveryPump([&rig, armed = false]() mutable {
                if (!armed && rig.view.passes == 2) {
                    armed = true;
                    rig.probe().faults()[FaultKind::Stall].count = 1;
                }
            });
        ASSERT_EQ(rig.run(), SweepOutcome::Done);
        EXPECT_EQ(rig.sent("(g"), c.passes);
        EXPECT_EQ(rig.view.alarms, c.alarms);
        EXPECT_EQ(rig.marks.failedMarks, 0);
        ASSERT_EQ(rig.sink.saved.size(), 1u);
        EXPECT_EQ(spectrum(*rig.sink.saved[0]), spectrum(want));
        EXPECT_TRUE(rig.linesStartingWith("***").isEmpty())
            << rig.logLines().join('\n').toStdString();
    }
}

TEST(AcquisitionFaults, ASilentProbeFailsTheStationAfterElevenStartsOrThreeTries) {
    {
        AcquisitionRig rig(withFault(FaultKind::Silent, [](Fault& f) { f.commands = {"(g"}; }),
                           "/LOGDLC");
        EXPECT_EQ(rig.run(), SweepOutcome::Failed);
        EXPECT_EQ(rig.sent("(g"), 11);
        EXPECT_EQ(rig.linesStartingWith("Start Sweep Spectrum: E").size(), 11);
        EXPECT_EQ(rig.linesStartingWith("*** ").size(), 1);
        EXPECT_TRUE(rig.linesStartingWith("*** Start Sweep Spectrum failed [").size() == 1)
            << rig.logLines().join('\n').toStdString();
        EXPECT_TRUE(rig.link.linkFailed(0));
        EXPECT_TRUE(rig.sink.saved.empty());
        EXPECT_EQ(rig.view.outcomes, std::vector<SweepOutcome>{SweepOutcome::Failed});
    }
    {
        // No echo of the start frequency: three tries of the programming, no sweep started.
        AcquisitionRig rig(withFault(FaultKind::Silent, [](Fault& f) { f.commands = {"(i"}; }));
        EXPECT_EQ(rig.run(), SweepOutcome::Failed);
        EXPECT_EQ(rig.sent("(i100000"), 3);
        EXPECT_EQ(rig.sent("(g"), 0);
        EXPECT_EQ(rig.linesStartingWith("*** "), QStringList{"*** Start Sweep Spectrum failed"});
        EXPECT_TRUE(rig.link.linkFailed(0));
    }
    {
        // No firmware: nothing is swept.
        AcquisitionRig rig(withFault(FaultKind::Silent, [](Fault& f) { f.commands = {"V"}; }));
        EXPECT_EQ(rig.run(), SweepOutcome::NoFirmware);
        EXPECT_EQ(rig.sent("(g"), 0);
        EXPECT_TRUE(rig.sink.saved.empty());
    }
}

TEST(AcquisitionFaults, TheStopFlagOrTheRunsStopRequestEndItAsAManualStopAtAnyMoment) {
    // Moments: before it starts, while programming, in the first pass, between passes, in the
    // last pass (a pass of 399 points takes about half a second).
    for (const double at : {0.0, 0.16, 0.5, 0.97, 2.0}) {
        for (const bool runStop : {false, true}) {
            SCOPED_TRACE(QStringLiteral("at %1 s, %2")
                             .arg(at)
                             .arg(runStop ? "run stop" : "sweep stop")
                             .toStdString());
            AcquisitionRig rig;
            auto raise = [&rig, runStop] {
                (runStop ? rig.ctx.flags.StopRequest : rig.ctx.flags.SweepStop) = true;
            };
            if (at == 0.0)
                raise();
            else
                rig.pump.after(at, raise);
            EXPECT_EQ(rig.run(), SweepOutcome::ManualStop);
            EXPECT_EQ(rig.linesStartingWith("*** "), QStringList{"*** Stop Sweep Spectrum manual"});
            EXPECT_TRUE(rig.sink.saved.empty());
            EXPECT_EQ(rig.marks.failedMarks, 0);
            EXPECT_FALSE(rig.link.linkFailed(0));
            EXPECT_EQ(rig.view.outcomes, std::vector<SweepOutcome>{SweepOutcome::ManualStop});
        }
    }
}

// A field below the first step of the probe's point code sweeps as zeros: no peak, so no
// peak frequency (not the -1 that stands for none).
TEST(AcquisitionFaults, ASpectrumOfZerosLogsNoPeakFrequency) {
    StationConfig st = quietProbe();
    st.emitters.clear();
    AcquisitionRig rig(st);
    EXPECT_EQ(rig.run(), SweepOutcome::Done);
    EXPECT_EQ(rig.linesStartingWith("Stop Sweep Spectrum"),
              QStringList{"Stop Sweep Spectrum: E, Peak 0.0000 @ ---- MHz WideBand: ----"});
}

} // namespace
