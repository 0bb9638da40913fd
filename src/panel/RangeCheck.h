#pragma once

#include "freqtable/FreqTable.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

class Switches;

// The probes' usable frequency ranges, written once: the panel's "not suitable" check and
// the check before a run both use it.
namespace RangeCheck {

// Which range a row failed: the general one (any field) or that of an H mode.
enum class Range { General = -1, HModeA = 1, HModeB = 2 };

struct OutOfRange {
    int row = -1;      // table row 0..99
    double freq = 0.0; // MHz
    Range range = Range::General;
};

// Lowest and highest usable frequency (MHz) of a range; "/NOLIMIT" takes the lower bound to 0.
double lowest(Range range, const Switches& switches);
double highest(Range range);
// lowest <= f <= highest, compared in single precision.
bool inRange(double freq, Range range, const Switches& switches);

// Every row in use outside a range that applies: first all rows against the general range,
// then against H Mode A when selected, then H Mode B when selected (fields: E, H Mode A,
// H Mode B, nonzero = selected).
QList<OutOfRange> outOfRangeRows(const FreqTable& table, const std::array<qint16, 3>& fields,
                                 const Switches& switches);

// The message box text for one refused row: blanks, the frequency, " MHz is out of range.",
// a carriage return and the range text.
QString message(const OutOfRange& failure);
// "Frequency range is 9kHz - 30MHz" and the texts of the H modes.
QString rangeText(Range range);

} // namespace RangeCheck

// The check before a List Mode run: the first row that does not suit the selected fields,
// or nothing when the table is accepted (always accepted when List Mode is off).
std::optional<RangeCheck::OutOfRange> ControllaMinUsableFreq(const FreqTable& table,
                                                             bool listModeOn,
                                                             const std::array<qint16, 3>& fields,
                                                             const Switches& switches);

// A table suits the panel unless List Mode is on and it has no row in use or a row outside
// the ranges of the selected fields.
bool frequencyTableSuitable(const FreqTable& table, bool listModeOn,
                            const std::array<qint16, 3>& fields, const Switches& switches);
