#pragma once

#include "measure/SweepSettings.h"

#include <QString>
#include <array>

class Switches;

// Fixed bounds of a spectrum: points 0..4000 and four traces (0 Total, 1 X, 2 Y, 3 Z).
constexpr int SpectrumPoints = 4001;
constexpr int SpectrumTraces = 4;

// Per field type (0 E, 1 H Mode A, 2 H Mode B, 3 auxiliary input): what the acquisition
// and the display need to know of it.
struct FieldTypeSetup {
    QString unitText;      // "V/m", "A/m", or the auxiliary unit ("mV" / "dBm")
    float levelFactor;     // applied to every decoded level
    float fullScale;       // V: the full-scale value (before the preamplifier)
    float minUsableFreq;   // MHz
    float upperLimit;      // MHz
    QString fieldNameLong; // "E Field", "H Field (Mode A)", "H Field (Mode B)"
    QString fieldName;     // "E", "H(a)", "H(b)"
    QString filePrefix;    // "E_" or "H_"
};

// The set-up table of a field type; "/NOLIMIT" sets the minimum usable frequency to 0 and
// the upper limit to 30 MHz for every type. auxUnit is the caption of the auxiliary unit.
FieldTypeSetup fieldTypeSetup(int fieldType, const Switches& switches,
                              const QString& auxUnit = QStringLiteral("mV"));

// The spectrum being acquired or reviewed. Levels are linear, in V/m (E) or A/m (H), and
// stored trace by trace so that a trace is one contiguous run of points.
struct SpectrumData {
    std::array<float, SpectrumPoints> Freq{}; // MHz; 0 beyond the sweep
    std::array<std::array<float, SpectrumPoints>, SpectrumTraces> Level{}; // [trace][point]
    int NPoints = 0;
    int PointIndex = 0;
    int Axis = 1;                                      // 1 X, 2 Y, 3 Z
    std::array<bool, 3> AxisEnabled{true, true, true}; // X, Y, Z
    int FieldType = 0;
    QString FieldNameLong = QStringLiteral("E Field");
    QString FieldName = QStringLiteral("E");
    QString FilePrefix = QStringLiteral("E_");
    float RefLevel = 1000.0f;
    float LevelFactor = 0.125f;
    float MinUsableFreq = 0.009f;
    float DynamicRange = 90.0f;
    int PreampWanted = 0;
    int PreampOnProbe = -1; // -1: not known, the next acquisition sends it
    int ProbeRbwIndex = -1; // -1: not known, the next acquisition sends it
    float PeakLevel = 0.0f;
    float PeakFreq = -1.0f;
    int PeakIndex = 0;
    float SumSquares = 0.0f;
    // What the peak and wide-band boxes show: the previous pass's values until the new pass
    // has passed their frequency.
    float LatchedPeakLevel = 0.0f;
    float LatchedPeakFreq = -1.0f;
    int LatchedPeakIndex = 0;
    float LatchedSumSquares = 0.0f;
    bool RestartRequest = false;

    void latch() {
        LatchedPeakLevel = PeakLevel;
        LatchedPeakFreq = PeakFreq;
        LatchedPeakIndex = PeakIndex;
        LatchedSumSquares = SumSquares;
    }
    // sqrt(latched sum of squares) x the RBW's wide-band factor, never below the latched peak.
    float wideBand(int rbwIndex) const;
};

// Builds the frequency axis of settings in whole Hz: the step is max(RBW step, Span / 4000)
// rounded to whole Hz and raised 1 Hz at a time while the axis would pass 4001 points; that
// step is written back into settings.Step. Fills Freq (0 beyond the sweep), clears the levels
// and sets NPoints to the number of points built. False when no axis can be built (a span
// that is not positive or not finite).
bool buildFrequencyAxis(SweepSettings& settings, SpectrumData& data);
