#pragma once

#include <QString>

// Display units of a spectrum. Unit codes: 0 V/m, 1 mW/cm2, 2 W/m2 for the E field; 10 A/m,
// 11 mW/cm2, 12 W/m2, 13 µT for the H field. Levels are stored in V/m or A/m.

// A stored level in the display unit (an unknown code leaves it as it is).
float ConvUnit(float level, int unitCode);
// mV -> dBm; NaN for a level of 0 or less, which has no dBm value.
double GetdBm(double mV);
// Base-10 logarithm; 0 for a value of 0 or less (and for a value that is not finite).
double Log10(double value);
// The level drawn at 0 dB (in the stored unit) for a full-scale value V and a display unit.
// 0 where the unit has no full scale for that V: callers must not divide by it.
float fullScaleRefLevel(float fullScaleV, int unitCode);
// Caption of a display unit ("V/m", "mW/cm2", "W/m2", "A/m", "µT"); empty when unknown.
QString unitCaption(int unitCode);
// The 6-character level text of the boxes, listings and headers: the level in the display
// unit as "0.0000 ", cut to 6 characters, a final "." removed, right-aligned in 6. Whole
// numbers too wide for that keep all their digits.
QString levelText(float level, int unitCode);
// dBm of a mV level as "0.00"; "----" when there is none.
QString dBmText(double mV);
// Removes the trailing zeros of a decimal number text, then a trailing point.
QString RemoveRightZero(QString text);
// The shortest plain decimal text that reads back as the same single ("0.1", "29.95").
QString shortestText(float value);
// value with `decimals` decimals and a decimal point; 0 for a value that is not finite.
QString fixedText(double value, int decimals);
