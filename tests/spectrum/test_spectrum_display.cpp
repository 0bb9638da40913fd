#include "spectrum/SpectrumDisplay.h"
#include "spectrum/SpectrumMarker.h"
#include "spectrum/SpectrumScale.h"
#include "spectrum/SpectrumUnits.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A 0..100 MHz axis of 101 points (1 MHz apart) with the given Total levels.
struct Sweep101 {
    SpectrumData data;
    SweepSettings settings;
    Sweep101() {
        settings.setRange(0.0f, 100.0f);
        data.NPoints = 101;
        for (int i = 0; i < 101; ++i)
            data.Freq[i] = float(i);
        data.MinUsableFreq = 0.0f;
    }
};

} // namespace

TEST(SpectrumScale, LevelToDbAndPixels) {
    const struct {
        double level, ref, db;
    } cases[] = {
        {1.0, 1000.0, -60.0},      {0.0001, 1000.0, -91.0},   {0.0, 1000.0, -91.0},
        {-3.0, 1000.0, -91.0},     {1.0, 0.0, -91.0},         {1.0, -5.0, -91.0},
        {NAN, 1000.0, -91.0},      {INFINITY, 1000.0, -91.0}, {2000.0, 1000.0, 6.0206},
        {5.152107, 5.152107, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(dbPosition(c.level, c.ref, 90.0), c.db, 1e-3) << c.level << " / " << c.ref;

    // +20 dB at the top row, -100 dB at the bottom row of a 601-pixel plot.
    const AxisMap y{PlotTopDb, plotBottomDb(90), 0, 600};
    const struct {
        double db, pixel;
    } rows[] = {{20, 0}, {0, 100}, {-60, 400}, {-91, 555}, {-100, 600}};
    for (const auto& r : rows) {
        EXPECT_DOUBLE_EQ(y.toPixel(r.db), r.pixel) << r.db;
        EXPECT_DOUBLE_EQ(y.toValue(r.pixel), r.db) << r.pixel;
    }
    EXPECT_NEAR((AxisMap{0.1, 30.0, 50, 949}.toValue(499.5)), 15.05, 1e-9);
}

TEST(SpectrumScale, GridLabelsPerUnit) {
    const struct {
        int unit;
        double ref;
        bool dbm;
        std::vector<const char*> labels; // 0, -20, -40, -60, -80 dB
    } cases[] = {
        {0, 1000.0, false, {"1000", "100", "10", "1", "0.1"}},
        {10, 6.0, false, {"6", "0.6", "0.06", "0.006", "0.001"}},
        {13, 400.0, false, {"400", "40", "4", "0.4", "0.04"}},
        // 1063.104 V/m is about 2998 W/m2.
        {2, 1063.104, false, {"3e+3", "29.98", "0.3", "3e-3", "3e-5"}},
        {1, 194.0954, false, {"9.99", "0.1", "1e-3", "1e-5", "1e-7"}},
        {12, 282.19254, false, {"3e+7", "3e+5", "3e+3", "30.02", "0.3"}},
        // Integer digits are never cut: decimals give way.
        {1, 1063.104, false, {"299.8", "3", "3e-2", "3e-4", "3e-6"}},
        {11, 282.19254, false, {"3e+6", "3e+4", "300.2", "3", "3e-2"}},
        {10, 99999.0, false, {"99999", "10000", "1000", "100", "10"}},
        // Auxiliary input in dBm: 200 mV is -0.97 dBm.
        {0, 200.0, true, {"-1", "-21", "-41", "-61", "-81"}},
    };
    for (const auto& c : cases) {
        const QList<LevelGridLine> grid = levelGrid(c.unit, c.ref, 90.0, c.dbm);
        ASSERT_EQ(grid.size(), 5);
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(grid[k].db, -20.0 * k);
            EXPECT_EQ(grid[k].label, QString::fromLatin1(c.labels[size_t(k)]).rightJustified(5))
                << "unit " << c.unit << " at " << grid[k].db << " dB";
        }
    }
}

TEST(SpectrumScale, FrequencyTexts) {
    const struct {
        double span;
        const char* text;
    } divisions[] = {{5.0, "500 kHz/Div"},    {30.0, "3 MHz/Div"},   {29.991, "2.999 MHz/Div"},
                     {0.5, "50 kHz/Div"},     {9.99, "999 kHz/Div"}, {10.0, "1 MHz/Div"},
                     {0.0123, "1.23 kHz/Div"}};
    for (const auto& d : divisions)
        EXPECT_EQ(divisionText(d.span), QString::fromLatin1(d.text)) << d.span;
    EXPECT_EQ(centerText(15.0045f), "F Center:15.0045 MHz");
    EXPECT_EQ(edgeText(0.1f), "0.1 MHz");
    EXPECT_EQ(edgeText(30.0f), "30 MHz");
    EXPECT_EQ(divisionFrequencies(0.0, 30.0),
              (QList<double>{0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30}));
}

TEST(SpectrumMarker, PeakSearch) {
    const struct {
        std::vector<float> level;
        int marker, direction, peak;
    } cases[] = {
        {{1, 1, 1, 5, 5.5f, 3, 1}, 0, 1, 4},  // rises 3 dB, peaks, falls
        {{1, 3, 5.5f, 5, 1, 1, 1}, 6, -1, 2}, // the same to the left
        {{2, 2, 2, 2, 2, 2}, 2, 1, -1},       // flat: nothing
        {{2, 2, 2, 2, 2, 2}, 2, -1, -1},
        {{1, 1.2f, 1.3f, 1.2f, 1}, 0, 1, -1}, // less than 3 dB
        {{1, 2, 3, 4, 5}, 0, 1, -1},          // rises to the last point: no peak
        {{1, 2, 3}, 2, 1, -1},                // marker on the last point
        {{3, 2, 1}, 0, -1, -1},               // marker on the first point
        {{5, 0, 0, 3, 4, 2}, 0, 1, 4},        // zero levels met without dividing
        {{0, 0, 0, 0, 0}, 1, 1, -1},          // zeros are no peak
        {{8, 4, 2, 6, 7, 5, 1}, 0, 1, 4},     // from a peak, through the valley to the next
        {{8, 6, 7, 5, 1}, 0, 1, -1},          // a rise under 1.41 x the valley is no peak
        {{1, 1, 9, 1, 1}, 0, 1, 2},           // a one-point spike
        {{1, 1, 9, 1, 1}, 4, -1, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findPeak(c.level, c.marker, c.direction), c.peak)
            << "marker " << c.marker << " direction " << c.direction;
    const std::vector<float> axis{1, 2, 3, 4};
    EXPECT_EQ(nearestPoint(axis, 2.4), 1);
    EXPECT_EQ(nearestPoint(axis, 2.6), 2);
    EXPECT_EQ(nearestPoint(axis, -5), 0);
    EXPECT_EQ(nearestPoint(axis, 99), 3);
    EXPECT_EQ(nearestPoint(std::vector<float>{}, 1), -1);
}

TEST(SpectrumMarker, ZoomRangeStaysInsideTheSweep) {
    Sweep101 s;
    const std::span<const float> freq(s.data.Freq.data(), 101);
    const struct {
        double factor, centre;
        int first, last;
    } cases[] = {
        {1, 50, 0, 100}, {0.5, 50, 0, 100}, {4, 50, 37, 62},    {4, 5, 0, 25},    {4, 99, 75, 100},
        {4, -20, 0, 25}, {2, 100, 50, 100}, {1000, 50, 50, 51}, {4, NAN, 0, 100},
    };
    for (const auto& c : cases) {
        const ZoomRange r = zoomRange(freq, c.factor, c.centre);
        EXPECT_EQ(std::pair(r.first, r.last), std::pair(c.first, c.last))
            << c.factor << " @ " << c.centre;
    }
}

TEST(SpectrumDisplay, ZoomModeWheelAndKeys) {
    Sweep101 s;
    SpectrumDisplay d(s.data);
    d.beginReview(s.settings, {});
    d.setZoomCentre(50);
    // Without a marker the middle button does not leave marker mode.
    d.middleButton();
    EXPECT_EQ(d.pointerMode(), SpectrumDisplay::PointerMode::Marker);
    d.placeMarkerAt(42.4);
    EXPECT_EQ(d.markerIndex(), 42);
    d.middleButton();
    ASSERT_EQ(d.pointerMode(), SpectrumDisplay::PointerMode::Zoom);

    d.MouseWheel(1); // 101 points -> 51
    EXPECT_EQ(d.zoomFactor(), 2);
    d.keyDown(); // 26 points
    d.keyDown(); // 13 points
    d.keyDown(); // 13 > 10: once more, 7 points
    EXPECT_EQ(d.zoomFactor(), 16);
    EXPECT_LE(d.shownPoints().points(), 10);
    EXPECT_FALSE(d.zoomIn()); // not with 10 points or fewer
    EXPECT_EQ(d.zoomFactor(), 16);
    EXPECT_GE(d.shownStart(), 0.0);
    EXPECT_LE(d.shownStop(), 100.0);
    EXPECT_EQ(d.divisionText(), "600 kHz/Div");

    // The marker follows the pointer inside the zoomed range only.
    d.placeMarkerAt(0);
    EXPECT_EQ(d.markerIndex(), d.shownPoints().first);

    d.keyUp();
    for (int i = 0; i < 4; ++i)
        d.MouseWheel(-1);
    EXPECT_EQ(d.zoomFactor(), 1);
    EXPECT_DOUBLE_EQ(d.shownStart(), 0.0);
    EXPECT_DOUBLE_EQ(d.shownStop(), 100.0);
    EXPECT_EQ(d.centerText(), "F Center:50 MHz");
}

TEST(SpectrumDisplay, MarkerMovesTracesAndPeaks) {
    Sweep101 s;
    for (int i = 0; i < 101; ++i) {
        s.data.Level[0][i] = 1.0f + (i == 30 ? 9.0f : 0.0f) + (i == 70 ? 4.0f : 0.0f);
        s.data.Level[1][i] = 0.5f;
    }
    s.data.LatchedPeakIndex = 30;
    s.data.LatchedPeakFreq = 30.0f;
    s.data.LatchedPeakLevel = 10.0f;
    s.data.AxisEnabled = {true, false, true};
    SpectrumDisplay d(s.data);
    d.beginReview(s.settings, {});

    ASSERT_TRUE(d.CmdAutoSpan(1));
    EXPECT_EQ(d.markerIndex(), 30);
    ASSERT_TRUE(d.CmdAutoSpan(2)); // next peak to the right
    EXPECT_EQ(d.markerIndex(), 70);
    EXPECT_FALSE(d.CmdAutoSpan(2)); // nothing further: the marker stays
    EXPECT_EQ(d.markerIndex(), 70);
    ASSERT_TRUE(d.CmdAutoSpan(3));
    EXPECT_EQ(d.markerIndex(), 30);

    d.SpostaFrecciaSinistra();
    EXPECT_EQ(d.markerIndex(), 29);
    d.setMarkerIndex(100);
    d.SpostaFrecciaDestra(); // stays on the last point
    EXPECT_EQ(d.markerIndex(), 100);

    // Up and Down (and the wheel in marker mode) walk the shown traces: Y is not enabled.
    d.keyUp();
    EXPECT_EQ(d.markerTrace(), 1);
    d.MouseWheel(3);
    EXPECT_EQ(d.markerTrace(), 3);
    d.SpostaFrecciaSu();
    EXPECT_EQ(d.markerTrace(), 0);
    d.keyDown();
    EXPECT_EQ(d.markerTrace(), 3);
    s.data.AxisEnabled = {true, true, false}; // Z unticked: its marker goes to Total
    d.axesChanged();
    EXPECT_EQ(d.markerTrace(), 0);
    d.setMarkerTrace(3);
    EXPECT_EQ(d.markerTrace(), 0);
    d.setMarkerTrace(2);
    d.setShowXYZ(false); // the marker goes back to Total and stays there
    EXPECT_EQ(d.markerTrace(), 0);
    d.SpostaFrecciaSu();
    EXPECT_EQ(d.markerTrace(), 0);
}

TEST(SpectrumDisplay, BoxAndPictureTexts) {
    Sweep101 s;
    s.settings.setRange(0.1f, 30.0f);
    s.settings.RbwIndex = 0;
    s.data.FieldType = 1;
    s.data.RefLevel = fullScaleRefLevel(300.0f, 13);
    s.data.Level[0][10] = 10.0f; // A/m
    s.data.Level[2][10] = 3.0f;
    s.data.LatchedPeakLevel = 10.0f;
    s.data.LatchedPeakFreq = 10.0f;
    s.data.LatchedPeakIndex = 10;
    SpectrumDisplay d(s.data);
    d.setUnitCode(13);
    d.beginSweep(s.settings);
    d.setThresholds({20.0f, 0.5f});
    s.settings.SweepField = 1;
    d.beginSweep(s.settings);

    EXPECT_EQ(d.unitText(), QStringLiteral("\u00B5T"));
    EXPECT_EQ(d.peakLevelText(), QStringLiteral("12.566 \u00B5T"));
    EXPECT_EQ(d.peakFreqText(), "10.0000 MHz");
    EXPECT_EQ(d.spanText(), "29.9000 bandwidth");
    EXPECT_EQ(d.wideBandText(), "12.566"); // never below the peak
    EXPECT_EQ(d.markerFreqText(), "Freq. = 0.0000 MHz");
    d.setMarkerIndex(10);
    d.setMarkerTrace(2);
    EXPECT_EQ(d.markerFreqText(), "Freq. = 10.0000 MHz");
    EXPECT_EQ(d.markerLevelText(), QStringLiteral("Lev. = 3.7698 \u00B5T"));
    EXPECT_EQ(d.DeterminaStTTTMKR(),
              QStringLiteral("Y: Freq. = 10.0000 MHz ; Lev. = 3.7698 \u00B5T"));
    EXPECT_EQ(d.DeterminaStTTTThreshold(), QStringLiteral("H Threshold 0.6283 \u00B5T"));

    // Nothing latched yet: no wide band and no peak frequency.
    s.data.LatchedPeakLevel = 0.0f;
    s.data.LatchedPeakFreq = -1.0f;
    s.data.LatchedSumSquares = 0.0f;
    EXPECT_EQ(d.wideBandText(), "----");
    EXPECT_EQ(d.peakFreqText(), "---- MHz");

    // Auxiliary input in dBm: a zero level has no dBm value.
    s.data.FieldType = 3;
    d.setAuxInDbm(true);
    EXPECT_EQ(d.unitText(), "dBm");
    EXPECT_EQ(d.levelText(0.0f), "----");
    EXPECT_EQ(d.levelText(223.6f), "0.00");
    EXPECT_FALSE(d.traceShown(1));

    s.data.FieldType = 0;
    d.setUnitCode(0);
    s.settings.SweepField = 0;
    d.beginSweep(s.settings);
    EXPECT_EQ(d.DeterminaStTTTThreshold(), "E Threshold 20 V/m");
}

// A zero level and a point below the lowest usable frequency sit on the floor whatever the
// full scale (also none). (Where µT traces sit is checked on the painted plot.)
TEST(SpectrumDisplay, FloorWhateverUnitAndFullScale) {
    Sweep101 s;
    s.data.MinUsableFreq = 0.3f;
    s.data.Level[0][0] = 5.0f;  // below 0.3 MHz
    s.data.Level[0][1] = 0.0f;  // zero
    s.data.Level[0][2] = 10.0f; // A/m
    SpectrumDisplay d(s.data);
    d.beginReview(s.settings, {});
    for (int unit : {0, 1, 2, 10, 11, 12, 13}) {
        for (float fullScale : {1000.0f, 300.0f, 60.0f, 30.0f, 6.0f, 7.0f}) {
            s.data.RefLevel = fullScaleRefLevel(fullScale, unit);
            d.setUnitCode(unit);
            EXPECT_EQ(d.pointDb(0, 0), -91.0) << unit << " " << fullScale;
            EXPECT_EQ(d.pointDb(0, 1), -91.0) << unit << " " << fullScale;
            EXPECT_TRUE(std::isfinite(d.pointDb(0, 2)));
        }
    }
}
