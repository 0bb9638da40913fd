#include "freqtable/FreqTable.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

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

QByteArray FreqTable::toBytes() const {
    QByteArray out(FileBytes, '\0');
    char* p = out.data();
    for (const FreqTableRow& r : rows) {
        qToLittleEndian<quint64>(std::bit_cast<quint64>(r.Freq), p);
        qToLittleEndian<qint16>(r.RbwIndex, p + 8);
        qToLittleEndian<quint16>(r.Reserved, p + 10);
        p += RowBytes;
    }
    return out;
}

FreqTable FreqTable::fromBytes(const QByteArray& data) {
    FreqTable table;
    const int whole = int(std::min<qsizetype>(data.size(), FileBytes)) / RowBytes;
    const char* p = data.constData();
    for (int i = 0; i < whole; ++i, p += RowBytes) {
        FreqTableRow& r = table.rows[size_t(i)];
        r.Freq = std::bit_cast<double>(qFromLittleEndian<quint64>(p));
        r.RbwIndex = qFromLittleEndian<qint16>(p + 8);
        r.Reserved = qFromLittleEndian<quint16>(p + 10);
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
