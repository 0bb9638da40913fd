// Drawing of the spectrum plot, without decoding. Prints two ratios:
// - a live pass of 4001 points painted point by point with four traces on a 1000 x 600 image,
//   against the line time of that pass (11 + 5 x 4001 bytes at 3840 bytes a second);
// - a full redraw (grid, labels and 4 x 4001 points, the grid drawn again each time as after a
//   zoom or a unit change), against one frame at 60 Hz.
// Both are measured in CPU time of the process (the machine may be shared), wall time beside.

#include "bench/BenchSupport.h"
#include "spectrum/SpectrumPainter.h"
#include "spectrum/SpectrumUnits.h"

#include <QGuiApplication>

#include <cmath>

namespace {

constexpr double LineBytesPerSecond = 3840.0;
constexpr double FrameSeconds = 1.0 / 60.0;

float levelAt(int i, int axis, int pass) {
    const double f = 0.1 + i * 0.007475;
    const double d = (f - 13.56) / 0.3;
    return float(0.07 + 0.01 * ((i * 7919 + axis * 31 + pass * 17) % 100) / 100.0 +
                 (4.0 + axis) * std::exp(-d * d));
}

// One pass of an axis as the acquisition decodes it, every point painted at once.
void livePass(SpectrumData& data, SpectrumDisplay& display, SpectrumPainter& painter, int axis,
              int pass) {
    data.latch();
    data.PeakLevel = 0;
    data.PeakFreq = -1;
    data.SumSquares = 0;
    for (int i = 0; i < data.NPoints; ++i) {
        data.Level[axis][i] = levelAt(i, axis, pass);
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
        painter.pointChanged(display, i);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    SweepSettings settings;
    settings.setRange(0.1f, 30.0f);
    settings.RbwIndex = 3;
    SpectrumData data;
    buildFrequencyAxis(settings, data);
    data.RefLevel = fullScaleRefLevel(1000.0f, 0);
    SpectrumDisplay display(data);
    display.setThresholds({8.0f, 0.02f});
    display.setShowThreshold(true);
    display.beginSweep(settings);
    display.setSweepCursorVisible(true);
    display.setMarkerIndex(2000);
    SpectrumPainter painter(QSize(1000, 600));
    painter.redraw(display);

    // Live: the first pass draws each trace's new segments; the later ones also erase the
    // previous pass's.
    livePass(data, display, painter, 1, 0);
    bench::Stopwatch time;
    livePass(data, display, painter, 2, 1);
    livePass(data, display, painter, 3, 2);
    const double liveSeconds = time.cpu() / 2;
    const double liveWall = time.wall() / 2;
    const double lineSeconds = (11.0 + 5.0 * data.NPoints) / LineBytesPerSecond;

    // Full redraws, alternating the unit so that the grid and labels are drawn each time.
    display.endSweep();
    const int redraws = 40;
    time.restart();
    for (int k = 0; k < redraws; ++k) {
        display.setUnitCode(k % 2 ? 1 : 0);
        painter.redraw(display);
    }
    const double redrawSeconds = time.cpu() / redraws;
    const double redrawWall = time.wall() / redraws;

    std::printf("spectrum draw: live pass of %d points, 4 traces, 1000x600: %.4f s CPU (%.4f s "
                "wall) against a line time of %.3f s, ratio %.4f (target <= 0.02)\n",
                data.NPoints, liveSeconds, liveWall, lineSeconds, liveSeconds / lineSeconds);
    std::printf("spectrum draw: full redraw of 4 x %d points with grid and labels: %.2f ms CPU "
                "(%.2f ms wall) against a %.1f ms frame, ratio %.3f (target <= 0.5)\n",
                data.NPoints, redrawSeconds * 1e3, redrawWall * 1e3, FrameSeconds * 1e3,
                redrawSeconds / FrameSeconds);
    return 0;
}
