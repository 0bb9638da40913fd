#include "freqtable/FreqTable.h"

#include "app/BinaryCodec.h"

#include <algorithm>
#include <cmath>

int FreqTable::usedRowCount() const {
    return int(
        std::count_if(rows.begin(), rows.end(), [](const FreqTableRow& r) { return r.inUse(); }));
}

QList<double> FreqTable::usedFrequencies() const {
    QList<double> out;
    for (const FreqTableRow& r : rows)
        if (r.inUse()) out.append(r.Freq);
    return out;
}

namespace {
void rowLayout(BinaryCodec& c, FreqTableRow& r) {
    c.floating(r.Freq);
    c.integer(r.RbwIndex);
    c.integer(r.Reserved);
}

// The hundred rows; a read covers only the rows the data holds whole.
void tableLayout(BinaryCodec& c, FreqTable& t) {
    for (FreqTableRow& r : t.rows) {
        if (c.reading() && c.left() < FreqTable::RowBytes) break;
        rowLayout(c, r);
    }
}
} // namespace

QByteArray FreqTable::toBytes() const {
    return writeRecord(*this, tableLayout, FileBytes);
}

FreqTable FreqTable::fromBytes(const QByteArray& data) {
    FreqTable table = readRecord<FreqTable>(data.left(FileBytes), tableLayout);
    for (FreqTableRow& r : table.rows) {
        if (!std::isfinite(r.Freq)) r = FreqTableRow{};
        r.RbwIndex = qint16(std::clamp<int>(r.RbwIndex, 0, 5));
    }
    return table;
}

double clampTableFrequency(double f) {
    if (std::isnan(f)) return FreqTable::LowestFreq;
    return std::clamp(f, FreqTable::LowestFreq, FreqTable::HighestFreq);
}

void sortFreqTable(FreqTable& table) {
    auto& rows = table.rows;
    // Compact: rows in use first, in their order.
    std::stable_partition(rows.begin(), rows.end(),
                          [](const FreqTableRow& r) { return r.inUse(); });
    const int used = table.usedRowCount();
    for (int i = 0; i < used - 1; ++i) {
        int best = i;
        for (int j = i + 1; j < used; ++j)
            if (rows[size_t(j)].Freq <= rows[size_t(best)].Freq) best = j;
        if (best != i) std::swap(rows[size_t(i)], rows[size_t(best)]);
    }
}
