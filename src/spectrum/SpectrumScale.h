#pragma once

#include <QList>
#include <QString>

// The maths of the spectrum plot, free of any drawing: where a level and a frequency land,
// where the grid lines go and what their labels and the frequency texts read.

// The level scale runs from +20 dB at the top to -10 - dynamic range at the bottom, in dB
// relative to the full scale; nothing is drawn below -(dynamic range + 1).
constexpr double PlotTopDb = 20.0;
constexpr double PlotDbStep = 20.0; // one grid line every 20 dB
inline double plotBottomDb(double dynamicRange) {
    return -10.0 - dynamicRange;
}
inline double plotFloorDb(double dynamicRange) {
    return -(dynamicRange + 1.0);
}

// dB position of a linear level against the reference level (both in the unit of the stored
// levels): 20 log10(level / reference), never below the floor. A level of 0 or less, a
// reference of 0 or less and anything not finite sit on the floor, so a full scale of 0 is
// never divided by.
double dbPosition(double level, double reference, double dynamicRange);

// The reference a stored level is compared with on the plot for a display unit. The full scale
// of the µT unit is a µT value while levels are stored in A/m, so it is brought back to A/m:
// a trace then sits where the grid labels and the boxes (which show A/m x 1.2566) put it.
double drawingReference(double refLevel, int unitCode);

// A linear map between a value range and a pixel range (either may run backwards).
struct AxisMap {
    double v0 = 0, v1 = 1; // values at p0 and p1
    double p0 = 0, p1 = 1; // pixels
    double toPixel(double v) const { return v1 == v0 ? p0 : p0 + (v - v0) * (p1 - p0) / (v1 - v0); }
    double toValue(double p) const { return p1 == p0 ? v0 : v0 + (p - p0) * (v1 - v0) / (p1 - p0); }
};

// One horizontal grid line and its level label.
struct LevelGridLine {
    double db;
    QString label;
};

// Grid lines every 20 dB from 0 down to -dynamic range, each with its label for the unit.
// refLevel is the full scale in the unit of the stored levels (mV for the auxiliary input).
QList<LevelGridLine> levelGrid(int unitCode, double refLevel, double dynamicRange,
                               bool auxInDbm = false);

// The label of a grid line at db: power densities (units 1, 2, 11, 12) as 10^(db/10) times
// the full scale in the display unit, the auxiliary input in dBm as db plus the full scale in
// dBm, every other unit as 10^(db/20) times the full scale; trailing zeros removed, right-
// aligned in five characters (decimals give way first: integer digits are never cut).
QString levelGridLabel(double db, int unitCode, double refLevel, bool auxInDbm = false);

// "500 kHz/Div" below 10 MHz of span, "3 MHz/Div" from 10 MHz; a tenth of the span each.
QString divisionText(double span);
// "F Center:" + centre + " MHz".
QString centerText(float centre);
// A band edge: shortest text + " MHz".
QString edgeText(float frequency);

// Vertical division lines: the eleven frequencies from start to stop in tenths.
QList<double> divisionFrequencies(double start, double stop);
