#pragma once

#include <QString>

// Number texts of the live displays and of the report columns. Every number uses "." as the
// decimal separator whatever the locale.

// Shortest decimal text that reads back as the same double ("27.12", "0.009", "30").
QString shortestText(double value);

// "0.0000": at least one integer digit and exactly four decimals, rounded.
QString fourDecimals(double value);

// Largest integer and decimal digit counts of a set of numbers, so that a column of them can
// be aligned on the decimal point. One instance per column.
class NumberColumns {
public:
    // Adds a value; with continueFlag false the maxima are reset first.
    void TrovaCMaxIntDec(double value, bool continueFlag);
    int maxIntDigits() const { return maxInt_; }
    int maxDecDigits() const { return maxDec_; }

private:
    int maxInt_ = 0;
    int maxDec_ = 0;
};

// Aligns a number text on its decimal point for a column of `intDigits` integer and
// `decDigits` decimal digits. Blank counts that would be negative (a number wider than the
// column) are taken as none, so the text is never cut.
QString FormattaSTConSpazi(const QString& text, int intDigits, int decDigits);

// One report cell: the text (first aligned as a number when intDigits is not 0) filled with
// blanks to 15 characters, on the right for the frequency column and on the left for the
// others, followed by the separator.
QString ForSTPerReport(const QString& text, bool frequencyColumn, int intDigits, int decDigits,
                       const QString& separator);
