#include "app/Switches.h"
#include "panel/MeasureSettings.h"
#include "panel/PanelValidation.h"

#include <gtest/gtest.h>

using namespace MeasureSettings;

namespace {
PanelRecord defaults(const Switches& s = {}) {
    PanelRecord p;
    applyNewPanelDefaults(p, s);
    return p;
}
} // namespace

TEST(MeasureSettings, TypedBoxesAreClampedToTheirFields) {
    const Switches sw;
    PanelRecord p = defaults();
    // How a typed number is read is the typed-number rule's; here each box's own range.
    takeBox(p, Box::ListModeRate, QStringLiteral("2000"), sw);
    EXPECT_EQ(p.ListModeRate, 1440);
    takeBox(p, Box::ListModeRate, QStringLiteral("0"), sw);
    EXPECT_EQ(p.ListModeRate, 1);
    takeBox(p, Box::ThresholdE, QStringLiteral("5000"), sw);
    EXPECT_FLOAT_EQ(p.SpectrumModeThresholds[0], 1000.0f);
    takeBox(p, Box::ThresholdH, QStringLiteral("0.001"), sw);
    EXPECT_FLOAT_EQ(p.SpectrumModeThresholds[1], 0.006f);
    takeBox(p, Box::Quality, QStringLiteral("-50"), sw);
    EXPECT_EQ(p.ImageQuality, 50);
    takeBox(p, Box::Quality, QStringLiteral("5"), sw);
    EXPECT_EQ(p.ImageQuality, 10);

    // An unchanged value is no change (nothing to store).
    EXPECT_FALSE(takeBox(p, Box::Quality, QStringLiteral("10"), sw));
    EXPECT_FALSE(takeBox(p, Box::ThresholdE, QStringLiteral("1000,0"), sw));
    EXPECT_TRUE(takeBox(p, Box::Quality, QStringLiteral("11"), sw));

    // Single-precision values show by their own shortest text.
    const PanelRecord d = defaults();
    EXPECT_EQ(boxText(d, Box::ThresholdH), QStringLiteral("0.053"));
    EXPECT_EQ(boxText(d, Box::Start), QStringLiteral("0.009"));
    EXPECT_EQ(boxText(d, Box::Stop), QStringLiteral("30"));
    EXPECT_EQ(boxRange(d, Box::Start).keypadMode, 0);
    EXPECT_EQ(boxRange(d, Box::ThresholdH).keypadMode, 6);
}

TEST(MeasureSettings, SpanIsTakenAsAPairAndTheRbwFollows) {
    const Switches sw;
    PanelRecord p = defaults(); // E and H Mode B: 30 MHz
    p.ListModeFields = {1, 0, 0};
    // The pair is adjusted by the span rule (tested with it), then the RBW follows.
    takeSpan(p, QStringLiteral("10"), QStringLiteral("10.002"), sw);
    EXPECT_FLOAT_EQ(p.SpectrumStartFrequency, 10.0f);
    EXPECT_FLOAT_EQ(p.SpectrumStopFrequency, 10.005f);
    EXPECT_EQ(p.SpectrumRBWIndex, 5); // a narrow span gets the narrowest RBW

    // A computed single-precision stop shows by the digits it holds, and taking that text
    // again changes nothing.
    takeSpan(p, QStringLiteral("0.009"), QStringLiteral("0.0125"), sw);
    EXPECT_EQ(boxText(p, Box::Stop), QStringLiteral("0.014"));
    EXPECT_FALSE(takeSpan(p, QStringLiteral("0.009"), QStringLiteral("0.014"), sw));
    takeSpan(p, QStringLiteral("10"), QStringLiteral("10.002"), sw);

    takeBox(p, Box::Stop, QStringLiteral("99"), sw);
    EXPECT_FLOAT_EQ(p.SpectrumStopFrequency, 30.0f);
    EXPECT_FLOAT_EQ(p.SpectrumStartFrequency, 10.0f);

    // With "/NOLIMITRBW" the operator's RBW stays.
    const Switches free(QStringLiteral("/NOLIMITRBW"));
    p.SpectrumRBWIndex = 2;
    takeSpan(p, QStringLiteral("1"), QStringLiteral("2"), free);
    EXPECT_EQ(p.SpectrumRBWIndex, 2);

    // E to H Mode A brings the span under the new 3 MHz limit at once.
    p = defaults();
    ControllaCHKLM(p, FieldHModeA, true, sw);
    EXPECT_EQ(p.ListModeFields, (std::array<qint16, 3>{1, 1, 0}));
    EXPECT_FLOAT_EQ(p.SpectrumStopFrequency, 3.0f);
    EXPECT_EQ(p.SpectrumRBWIndex, rbwIndexForSpan(0.009, 3));
}

TEST(MeasureSettings, CheckBoxRules) {
    const Switches sw;
    PanelRecord p = defaults();

    // At least one mode stays on: List Mode off with Spectrum Mode off turns Spectrum Mode on,
    // and without List Mode the rate trigger is forced and its box disabled.
    ControllaCHKLMSM(p, 1, false);
    EXPECT_EQ(p.SpectrumModeOn, 0);
    p.SpectrumRateOn = 0;
    ControllaCHKLMSM(p, 0, false);
    EXPECT_EQ(p.ListModeOn, 0);
    EXPECT_EQ(p.SpectrumModeOn, 1);
    Enables e = AbDisabControlli(p, sw);
    EXPECT_EQ(p.SpectrumRateOn, 1);
    EXPECT_FALSE(e.rateSM);
    EXPECT_FALSE(e.listMode);
    EXPECT_FALSE(e.thresholds);
    EXPECT_TRUE(e.spectrumMode);
    EXPECT_TRUE(e.rateSpectrumMode);

    p = defaults();
    p.SpectrumRateOn = 0;
    e = AbDisabControlli(p, sw);
    EXPECT_TRUE(e.thresholds);
    EXPECT_TRUE(e.rateSM);
    EXPECT_FALSE(e.rbwList);
    EXPECT_TRUE(AbDisabControlli(p, Switches(QStringLiteral("/NOLIMITRBW"))).rbwList);

    // H Mode B switches H Mode A off, and the other way round.
    p = defaults();
    p.ListModeFields = {0, 1, 0};
    ControllaCHKLM(p, FieldHModeB, true, sw);
    EXPECT_EQ(p.ListModeFields, (std::array<qint16, 3>{0, 0, 1}));
    // The last field unchecked switches on the next (after the last comes the first).
    ControllaCHKLM(p, FieldHModeB, false, sw);
    EXPECT_EQ(p.ListModeFields, (std::array<qint16, 3>{1, 0, 0}));
    EXPECT_EQ(p.SpectrumModeFields[1], 0); // no H measured: Spectrum Mode H follows
    ControllaCHKLM(p, FieldE, false, sw);
    EXPECT_EQ(p.ListModeFields, (std::array<qint16, 3>{0, 1, 0}));
    EXPECT_EQ(p.SpectrumModeFields[0], 0);

    // A Spectrum Mode field only for a field List Mode measures.
    clickSpectrumField(p, 0, true);
    EXPECT_EQ(p.SpectrumModeFields[0], 0);
    clickSpectrumField(p, 1, true);
    EXPECT_EQ(p.SpectrumModeFields[1], 1);

    // Image options exclude each other; both may be off.
    ControllaCHKSaveImage(p, 0, true);
    EXPECT_EQ(p.SaveImage, (std::array<qint16, 2>{1, 0}));
    EXPECT_FALSE(AbDisabControlli(p, sw).quality);
    ControllaCHKSaveImage(p, 0, false);
    EXPECT_EQ(p.SaveImage, (std::array<qint16, 2>{0, 0}));
}

TEST(MeasureSettings, ChangeTestAndDefaults) {
    const Switches sw;
    const PanelRecord snapshot = defaults();
    PanelRecord p = snapshot;
    EXPECT_FALSE(ControllaVarParMeasure(p, snapshot));
    p.Colors[3] = 0x123456;
    EXPECT_TRUE(ControllaVarParMeasure(p, snapshot));
    p.Colors[3] = snapshot.Colors[3];
    p.Colors[20] = 1; // every one of the 21 colours counts
    EXPECT_TRUE(ControllaVarParMeasure(p, snapshot));
    p = snapshot;
    p.DetectorIndex = 1;
    EXPECT_TRUE(ControllaVarParMeasure(p, snapshot));
    p = snapshot;
    p.SortByDate = -1; // not a measurement setting
    EXPECT_FALSE(ControllaVarParMeasure(p, snapshot));

    // Defaults restore the measurement settings and keep what the panel keeps.
    p = snapshot;
    p.Stations[0].Comm = 4;
    p.setFreqTableName(QStringLiteral("Mine"));
    p.ShowThreshold = 0;
    p.ListModeRate = 30;
    p.Colors[0] = 0;
    p.SpectrumStopFrequency = 7;
    CMBDefaultColor(p, sw);
    EXPECT_FALSE(ControllaVarParMeasure(p, snapshot));
    EXPECT_EQ(p.Stations[0].Comm, 4);
    EXPECT_EQ(p.freqTableNameText(), QStringLiteral("Mine"));
    EXPECT_EQ(p.ShowThreshold, 0);
}
