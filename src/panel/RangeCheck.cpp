#include "panel/RangeCheck.h"

#include "app/Switches.h"
#include "app/ValueLists.h"
#include "panel/PanelRecord.h"

#include <QLocale>

namespace RangeCheck {

double lowest(Range range, const Switches& switches) {
    switch (range) {
    case Range::HModeA:
        return minUsableFrequency(FieldHModeA, switches);
    case Range::HModeB:
        return minUsableFrequency(FieldHModeB, switches);
    default:
        return minUsableFrequency(FieldE, switches);
    }
}

double highest(Range range) {
    return range == Range::HModeA ? 3.0 : 30.0;
}

bool inRange(double freq, Range range, const Switches& switches) {
    const float f = float(freq);
    return float(lowest(range, switches)) <= f && f <= float(highest(range));
}

QList<OutOfRange> outOfRangeRows(const FreqTable& table, const std::array<qint16, 3>& fields,
                                 const Switches& switches) {
    QList<OutOfRange> out;
    auto scan = [&](Range range) {
        for (int i = 0; i < FreqTable::RowCount; ++i) {
            const double f = table.rows[size_t(i)].Freq;
            if (f != 0.0 && !inRange(f, range, switches)) out.append({i, f, range});
        }
    };
    scan(Range::General);
    if (fields[FieldHModeA] != 0) scan(Range::HModeA);
    if (fields[FieldHModeB] != 0) scan(Range::HModeB);
    return out;
}

QString rangeText(Range range) {
    switch (range) {
    case Range::HModeA:
        return QStringLiteral("Frequency Range H (Mode A) is 9kHz - 3MHz");
    case Range::HModeB:
        return QStringLiteral("Frequency Range H (Mode B) is 300kHz - 30MHz");
    default:
        return QStringLiteral("Frequency range is 9kHz - 30MHz");
    }
}

QString message(const OutOfRange& failure) {
    const int blanks = failure.range == Range::General ? 6 : 18;
    return QString(blanks, QLatin1Char(' ')) +
           QString::number(failure.freq, 'f', QLocale::FloatingPointShortest) +
           QStringLiteral(" MHz is out of range.\r") + rangeText(failure.range);
}

} // namespace RangeCheck

std::optional<RangeCheck::OutOfRange> ControllaMinUsableFreq(const FreqTable& table,
                                                             bool listModeOn,
                                                             const std::array<qint16, 3>& fields,
                                                             const Switches& switches) {
    if (!listModeOn) return std::nullopt;
    const QList<RangeCheck::OutOfRange> failures =
        RangeCheck::outOfRangeRows(table, fields, switches);
    if (failures.isEmpty()) return std::nullopt;
    return failures.first();
}

bool frequencyTableSuitable(const FreqTable& table, bool listModeOn,
                            const std::array<qint16, 3>& fields, const Switches& switches) {
    if (!listModeOn) return true;
    return table.usedRowCount() > 0 &&
           !ControllaMinUsableFreq(table, listModeOn, fields, switches).has_value();
}
