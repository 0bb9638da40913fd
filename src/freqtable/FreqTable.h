#pragma once

#include "app/Limits.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>

// One row of a frequency table: 12 bytes in memory and on file.
struct FreqTableRow {
    double Freq = 0.0;    // MHz; 0 marks an empty row
    qint16 RbwIndex = 0;  // index into the RBW list (0 = 300 kHz .. 5 = 1 kHz)
    quint16 Reserved = 0; // carried as held, no meaning

    bool inUse() const { return Freq != 0.0; }
    friend bool operator==(const FreqTableRow&, const FreqTableRow&) = default;
};

// The frequencies at which Table Mode takes readings: always 100 rows, 1200 bytes on file.
struct FreqTable {
    static constexpr int RowCount = kTableRows;
    static constexpr int RowBytes = 12;
    static constexpr int FileBytes = RowCount * RowBytes;
    static constexpr double LowestFreq = 0.009; // MHz, what the editor accepts
    static constexpr double HighestFreq = 30.0;

    std::array<FreqTableRow, RowCount> rows{};

    int usedRowCount() const;
    // Frequencies of the rows in use, in table order.
    QList<double> usedFrequencies() const;

    // The file image: 100 records of double, int16, two reserved bytes, little-endian.
    QByteArray toBytes() const;
    // Reads the image. Rows the data does not cover are cleared, so a short file never
    // leaves rows of the previous table behind. A frequency that is not finite clears its
    // row; an RBW index outside 0..5 is clamped, since every user indexes the RBW list.
    static FreqTable fromBytes(const QByteArray& data);

    friend bool operator==(const FreqTable&, const FreqTable&) = default;
};

// A frequency entered for a row, clamped to what a table holds (0.009..30 MHz); a value that
// is not a number gives the lowest.
double clampTableFrequency(double freqMHz);

// Orders the rows in use by ascending frequency, each keeping its RBW. Rows in use are
// moved before the empty ones first; among equal frequencies the later row comes first.
void sortFreqTable(FreqTable& table);
