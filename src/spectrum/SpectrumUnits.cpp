#include "spectrum/SpectrumUnits.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {
constexpr double Impedance = 377.0; // free space, ohm
} // namespace

float ConvUnit(float level, int unitCode) {
    const double l = level;
    switch (unitCode) {
    case 1:
        return float(0.1 * l * l / Impedance);
    case 2:
        return float(l * l / Impedance);
    case 11:
        return float(0.1 * l * l * Impedance);
    case 12:
        return float(l * l * Impedance);
    case 13:
        return float(l * 1.2566);
    default:
        return level;
    }
}

double GetdBm(double mV) {
    if (!(mV > 0.0) || !std::isfinite(mV)) return std::numeric_limits<double>::quiet_NaN();
    return 20.0 * std::log10(mV / 223.6);
}

double Log10(double value) {
    return value > 0.0 && std::isfinite(value) ? std::log10(value) : 0.0;
}

float fullScaleRefLevel(float fullScaleV, int unitCode) {
    switch (unitCode) {
    case 1:
    case 2:
        return fullScaleV >= 1000.0f ? 1063.104f : 194.0954f;
    case 11:
    case 12:
        if (fullScaleV == 30.0f) return 28.219254f;
        if (fullScaleV == 6.0f) return 5.152107f;
        if (fullScaleV == 60.0f) return 51.52107f;
        if (fullScaleV == 300.0f) return 282.19254f;
        return 0.0f;
    case 13:
        if (fullScaleV == 60.0f) return 80.0f;
        if (fullScaleV == 6.0f) return 8.0f;
        if (fullScaleV == 30.0f) return 40.0f;
        return 400.0f;
    default:
        return ConvUnit(fullScaleV, unitCode);
    }
}

QString unitCaption(int unitCode) {
    switch (unitCode) {
    case 0:
        return QStringLiteral("V/m");
    case 1:
    case 11:
        return QStringLiteral("mW/cm2");
    case 2:
    case 12:
        return QStringLiteral("W/m2");
    case 10:
        return QStringLiteral("A/m");
    case 13:
        return QStringLiteral("\u00B5T");
    default:
        return {};
    }
}

QString fixedText(double value, int decimals) {
    if (!std::isfinite(value)) value = 0.0;
    QString t = QString::number(value, 'f', decimals);
    // "-0.0000" is a rounded tiny negative: show it as zero.
    if (t.startsWith(QLatin1Char('-')) &&
        t.count(QLatin1Char('0')) == t.size() - 1 - (decimals > 0))
        t.remove(0, 1);
    return t;
}

QString levelText(float level, int unitCode) {
    const float value = ConvUnit(level, unitCode);
    const QString t = fixedText(value, 4);
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    // Cutting at 6 would drop integer digits: the rounded whole number instead.
    if (dot > 6) return QString::number(std::llround(double(value)));
    QString cut = (t + QLatin1Char(' ')).left(6);
    if (cut.endsWith(QLatin1Char('.'))) cut.chop(1);
    return cut.rightJustified(6, QLatin1Char(' '));
}

QString dBmText(double mV) {
    const double dbm = GetdBm(mV);
    return std::isnan(dbm) ? QStringLiteral("----") : fixedText(dbm, 2);
}

QString RemoveRightZero(QString text) {
    if (!text.contains(QLatin1Char('.'))) return text;
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

QString shortestText(float value) {
    if (!std::isfinite(value)) return QStringLiteral("0");
    if (value == 0.0f) return QStringLiteral("0");
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return r.ec == std::errc() ? QString::fromLatin1(buf, int(r.ptr - buf)) : QStringLiteral("0");
}
