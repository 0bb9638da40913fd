#pragma once

#include <QString>
#include <QtGlobal>

// A number typed by the operator into a box: the first "," counts as ".", the number is read
// from the start of the text (no number reads as 0), optionally its absolute value, clamped
// in double precision to [low, high] before any conversion, so that "99999999" or "1e999"
// can never overflow the field it ends up in.
double typedNumber(const QString& text, double low, double high, bool absolute = false);
// The same, rounded half to even for a whole-number field.
qint32 typedWhole(const QString& text, qint32 low, qint32 high, bool absolute = false);
