#include "OffscreenGui.h"
#include "spectrum/SpectrumPainter.h"
#include "spectrum/SpectrumUnits.h"

#include "app/Switches.h"
#include "support/TestSupport.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

// What a probe sees: a few emitters over a noise floor, different on each axis.
float fieldAt(double mhz, int axis, int pass) {
    const struct {
        double f, width, level;
    } emitters[] = {{1.8, 0.25, 0.9}, {7.1, 0.4, 6.0}, {13.56, 0.15, 2.5}, {27.12, 0.3, 14.0}};
    const double axisShare[] = {0.0, 0.8, 0.45, 0.35};
    // A noise floor about 80 dB under a 1000 V/m full scale, the same for every run.
    quint32 h = quint32(mhz * 1e4) * 2654435761u ^ quint32(axis * 97 + pass * 13) * 40503u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    double v = 0.06 + 0.02 * double(h % 1000) / 1000.0;
    for (const auto& e : emitters) {
        const double d = (mhz - e.f) / e.width;
        v += e.level * axisShare[axis] * std::exp(-d * d) * (1.0 + 0.1 * axis);
    }
    return float(v);
}

// A spectrum fed point by point the way the acquisition decodes it, painted as it goes.
struct LiveSweep {
    SweepSettings settings;
    SpectrumData data;
    SpectrumDisplay display{data};
    std::unique_ptr<SpectrumPainter> painter;

    explicit LiveSweep(int rbwIndex, int unitCode = 0, int fieldType = 0,
                       QSize size = {1000, 600}) {
        ensureGuiApp();
        settings.setRange(0.1f, 30.0f);
        settings.RbwIndex = qint16(rbwIndex);
        settings.SweepField = fieldType == 0 ? 0 : 1;
        buildFrequencyAxis(settings, data);
        const FieldTypeSetup setup = fieldTypeSetup(fieldType, Switches());
        data.FieldType = fieldType;
        data.MinUsableFreq = setup.minUsableFreq;
        data.RefLevel = fullScaleRefLevel(setup.fullScale, unitCode);
        display.setUnitCode(unitCode);
        display.setThresholds({8.0f, 0.02f});
        display.setShowThreshold(true);
        display.beginSweep(settings);
        painter = std::make_unique<SpectrumPainter>(size);
        painter->redraw(display);
    }

    // One pass of an axis, up to point `until`; every point is painted at once.
    void pass(int axis, int passNo, int until = -1) {
        if (until < 0) until = data.NPoints;
        data.latch();
        data.PeakLevel = 0;
        data.PeakFreq = -1;
        data.SumSquares = 0;
        for (int i = 0; i < until; ++i) {
            const double scale = data.FieldType == 0 ? 1.0 : 0.01;
            data.Level[axis][i] = float(fieldAt(data.Freq[i], axis, passNo) * scale);
            const float x = data.Level[1][i], y = data.Level[2][i], z = data.Level[3][i];
            data.Level[0][i] = std::sqrt(x * x + y * y + z * z);
            data.SumSquares += x * x + y * y + z * z;
            if (data.Level[0][i] > data.PeakLevel) {
                data.PeakLevel = data.Level[0][i];
                data.PeakFreq = data.Freq[i];
                data.PeakIndex = i;
            }
            if (data.Freq[i] >= data.LatchedPeakFreq) data.latch();
            display.pointDecoded(i);
            display.setSweepCursor(i);
            painter->pointChanged(display, i);
        }
    }
    void fullSweep() {
        for (int p = 0; p < 3; ++p)
            pass(p + 1, p);
        display.setSweepCursorVisible(false);
        display.endSweep();
        painter->redraw(display);
    }
};

// HALVEX_SPECTRUM_PICTURES keeps the pictures for a look; otherwise they go to a temporary
// folder.
void savePicture(const QImage& image, const QString& name) {
    static TempAppDir temp;
    const QString dir = qEnvironmentVariable("HALVEX_SPECTRUM_PICTURES");
    const QString path = (dir.isEmpty() ? temp.path() : dir + QLatin1Char('/')) + name + ".png";
    ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
    EXPECT_EQ(QImage(path).size(), image.size());
}

// Row in a column whose colour is nearest to a trace colour.
int rowOfColour(const QImage& image, int x, int top, int bottom, QColor colour) {
    const auto distance = [&](int y) {
        const QColor c = image.pixelColor(x, y);
        return std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
               std::abs(c.blue() - colour.blue());
    };
    int best = top;
    for (int y = top + 1; y <= bottom; ++y)
        if (distance(y) < distance(best)) best = y;
    return best;
}

} // namespace

// Painting each point as it comes gives the image of a full redraw, during a pass and after
// it, also with 4001 points where many segments share a pixel column; the grid layer is not
// drawn again while the range, unit and scale stay.
TEST(SpectrumPainterTest, LivePassEqualsFullRedraw) {
    for (const int rbw : {0, 3}) { // 399 and 4001 points
        SCOPED_TRACE(rbw);
        LiveSweep live(rbw);
        live.display.setMarkerIndex(200);
        live.display.setSweepCursorVisible(true);
        live.painter->overlayChanged(live.display);
        live.pass(1, 0);
        live.pass(2, 1, live.data.NPoints * 5 / 8); // mid-pass: points ahead keep pass 1's levels
        // With 4001 points the boxes follow the cursor's pixel columns; bring them up to date.
        if (rbw == 3) live.painter->overlayChanged(live.display);
        const int gridDraws = live.painter->gridDraws();

        SpectrumPainter fresh(live.painter->size());
        fresh.redraw(live.display);
        EXPECT_TRUE(live.painter->image() == fresh.image());
        savePicture(live.painter->image(), QStringLiteral("spectrum_live_pass_%1").arg(rbw));

        // A point changes only the strip of its segments and what moved on top.
        const QRect changed = live.painter->pointChanged(live.display, 120);
        EXPECT_LT(changed.width(), live.painter->size().width() / 2);

        live.pass(2, 1);
        live.pass(3, 2);
        EXPECT_EQ(live.painter->gridDraws(), gridDraws);
        SpectrumPainter after(live.painter->size());
        after.redraw(live.display);
        EXPECT_TRUE(live.painter->image() == after.image());

        // Zoom and unit changes draw the grid again.
        live.display.setZoomCentre(27.12);
        live.display.zoomIn();
        live.painter->overlayChanged(live.display);
        EXPECT_EQ(live.painter->gridDraws(), gridDraws + 1);
    }
}

// Each trace is drawn at the y of its dB position, in every unit.
TEST(SpectrumPainterTest, TracesSitAtTheirDbPosition) {
    const struct {
        int unit, fieldType;
        float level;
    } cases[] = {{0, 0, 1.0f},   {1, 0, 3.0f},   {2, 0, 0.2f},  {10, 1, 0.5f},
                 {11, 1, 0.05f}, {12, 1, 0.02f}, {13, 1, 2.0f}, {13, 2, 0.0f}};
    for (const auto& c : cases) {
        LiveSweep s(0, c.unit, c.fieldType);
        s.display.setShowXYZ(false);
        // Colours come as the measurement settings store them (0x00BBGGRR); a system colour
        // keeps the default.
        const qint32 colors[] = {0x0000FF, qint32(0x80000012), 0x00FF00, 0xFF0000};
        s.painter->setStyle(SpectrumStyle::fromColors(colors, 4));
        EXPECT_EQ(s.painter->style().traces[0], QColor(255, 0, 0));
        EXPECT_EQ(s.painter->style().traces[1], SpectrumStyle().traces[1]);
        EXPECT_EQ(s.painter->style().traces[3], QColor(0, 0, 255));
        s.display.setShowThreshold(false);
        for (int i = 0; i < s.data.NPoints; ++i)
            s.data.Level[0][i] = c.level;
        s.display.beginReview(s.settings, {});
        s.painter->redraw(s.display);
        const QRect plot = s.painter->plotRect();
        // Where the grid labels put the value the boxes show: power densities go by 10 dB a
        // decade, the µT full scale is a µT value.
        const bool power = c.unit == 1 || c.unit == 2 || c.unit == 11 || c.unit == 12;
        const double shown = ConvUnit(c.level, c.unit);
        const double fullScale = c.unit == 13 ? s.data.RefLevel : ConvUnit(s.data.RefLevel, c.unit);
        const double expectedDb =
            c.level > 0 ? (power ? 10.0 : 20.0) * std::log10(shown / fullScale) : -91.0;
        const double expectedY = s.painter->yOfDb(std::max(expectedDb, -91.0));
        for (int x : {plot.left() + 40, plot.center().x(), plot.left() + plot.width() / 5}) {
            const int y = rowOfColour(s.painter->image(), x, plot.top() + 1, plot.bottom() - 1,
                                      s.painter->style().traces[0]);
            EXPECT_NEAR(y, expectedY, 1.0) << "unit " << c.unit << " level " << c.level;
        }
    }
}

// The default dark-blue Total would hardly show on the dark plot: it is drawn lightened, in
// its own hue, while the style keeps the colour the settings chose; a colour that reads well
// already is drawn as chosen.
TEST(SpectrumPainterTest, DarkTraceColoursAreDrawnLightEnoughToRead) {
    LiveSweep s(0);
    for (int i = 0; i < s.data.NPoints; ++i)
        s.data.Level[0][size_t(i)] = 1.0f;
    s.display.setShowXYZ(false);
    s.display.beginReview(s.settings, {});
    for (const QColor& chosen : {QColor(0, 0, 255), QColor(255, 0, 0)}) {
        SpectrumStyle style;
        style.traces[0] = chosen;
        s.painter->setStyle(style);
        s.painter->redraw(s.display);
        EXPECT_EQ(s.painter->style().traces[0], chosen);
        const int y = int(std::lround(s.painter->yOfDb(s.display.levelDb(1.0))));
        const QColor drawn = s.painter->image().pixelColor(s.painter->plotRect().center().x(), y);
        if (chosen == QColor(255, 0, 0)) {
            EXPECT_EQ(drawn, chosen);
        } else {
            EXPECT_GT(drawn.lightness(), chosen.lightness() + 40);
            EXPECT_EQ(drawn.hue(), chosen.hue());
        }
    }
}

// Levels and an axis no acquisition makes (a damaged record) are drawn without a fault.
TEST(SpectrumPainterTest, DamagedRecordDrawsWithoutFault) {
    LiveSweep s(0);
    s.data.Level[0][3] = NAN;
    s.data.Level[1][4] = INFINITY;
    s.data.Level[2][5] = -1.0f;
    s.data.Freq[10] = NAN;
    s.data.Freq[11] = 1e30f;
    s.data.Freq[12] = -5.0f;
    s.data.NPoints = 99999;
    s.display.setMarkerIndex(11);
    s.display.setSweepCursor(10);
    s.display.setSweepCursorVisible(true);
    s.display.beginReview(s.settings, {});
    s.display.setMarkerIndex(11);
    s.painter->redraw(s.display);
    for (int i = 0; i < 20; ++i)
        s.painter->pointChanged(s.display, i);
    s.display.setZoomCentre(NAN);
    s.display.middleButton();
    s.display.MouseWheel(1);
    s.painter->overlayChanged(s.display);
    SweepSettings broken = s.settings;
    broken.setRange(NAN, 3.0f);
    s.display.beginReview(broken, {});
    s.painter->redraw(s.display);
    EXPECT_FALSE(s.painter->image().isNull());
}

// Pictures to look at: a finished 4001-point sweep as saved with its header lines, and a zoom
// x4 with the marker on a peak and the threshold line.
TEST(SpectrumPainterTest, Pictures) {
    LiveSweep zoom(3);
    zoom.fullSweep();
    const QStringList header{
        QStringLiteral(" RBW 10 kHz     3     E Field, Peak 15.682 @ 27.1200 MHz     "),
        QStringLiteral(" Spectrum N\u00B0 1 2026/12/07 10:21:05     Rel. FW: 1.02* Rel. SW: "
                       "1.0.     Sorvetta")};
    savePicture(paintSpectrum(QSize(1000, 600), zoom.display, header),
                QStringLiteral("spectrum_saved"));

    zoom.display.setMarkerIndex(zoom.data.NPoints / 2);
    zoom.display.setZoomCentre(28.0);
    zoom.display.middleButton();
    zoom.display.MouseWheel(1);
    zoom.display.MouseWheel(1);
    EXPECT_EQ(zoom.display.zoomFactor(), 4);
    EXPECT_NEAR(zoom.display.shownStop(), 30.0, 1e-3); // moved back inside the sweep
    zoom.display.middleButton();
    ASSERT_TRUE(zoom.display.CmdAutoSpan(1));
    EXPECT_NEAR(zoom.data.Freq[zoom.display.markerIndex()], 27.12, 0.05);
    zoom.painter->overlayChanged(zoom.display);
    savePicture(zoom.painter->image(), QStringLiteral("spectrum_zoom4_marker"));
    // Saved pictures come out at any size.
    savePicture(paintSpectrum(QSize(640, 400), zoom.display), QStringLiteral("spectrum_small"));
}
