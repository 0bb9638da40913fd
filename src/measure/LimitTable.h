#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// A reference level as a function of frequency: a * f^k with f in MHz (k = 0: a constant).
struct LimitLevel {
    double a = 0;
    double k = 0;
    double at(double frequencyMHz) const;
    bool operator==(const LimitLevel&) const = default;
};

// A frequency range of a limit table: it holds f with from < f <= to; the first range of its
// kind also holds `from` itself.
struct LimitRange {
    double from = 0;
    double to = 0;
};

// One band of reference levels; a field without a level in the band is not evaluated there.
struct LimitBand {
    LimitRange range;
    std::optional<LimitLevel> e;
    std::optional<LimitLevel> h;
};

// One part of a multi-frequency summation rule: within its range a line is divided by the
// given level, or by the band's reference level (`level` empty).
struct SummationPart {
    LimitRange range;
    std::optional<LimitLevel> level;
};

enum class LimitField { E, H };

// A table of exposure reference levels with the parts of its two summation rules: the linear
// sum (stimulation) and the sum of squares (heating), for E and for H.
struct LimitTable {
    QString name;
    std::vector<LimitBand> bands;
    std::vector<SummationPart> linearE, linearH, squareE, squareH;

    // The reference level of a field at a frequency; empty outside every band or where the
    // band gives no level for the field.
    std::optional<double> referenceLevel(LimitField field, double frequencyMHz) const;
    // Whether any band holds the frequency.
    bool covers(double frequencyMHz) const;
    // The divisor of a summation rule at a frequency; empty when no part of the rule holds it.
    std::optional<double> summationLevel(LimitField field, bool square, double frequencyMHz) const;
};

namespace LimitTables {

// Longest limit file read; a longer one is refused unread.
constexpr qint64 kMaxFileBytes = 64 * 1024;
// Most statements of one kind (bands, or parts of one rule) a table may have.
constexpr int kMaxRanges = 200;

// Reads a limit table from its text. On a refusal returns empty and sets *why to a message
// that names `fileName` and the line.
std::optional<LimitTable> parse(const QByteArray& text, const QString& fileName, QString* why);
// Reads a limit file (at most kMaxFileBytes).
std::optional<LimitTable> read(const QString& path, QString* why);

// The tables shipped with the program, by name; the first is the default.
QStringList builtInNames();
std::optional<LimitTable> builtIn(const QString& name);
inline const char* const kDefaultName = "ICNIRP 1998 general public";

} // namespace LimitTables
