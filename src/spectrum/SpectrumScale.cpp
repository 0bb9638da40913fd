#include "spectrum/SpectrumScale.h"

#include "spectrum/SpectrumUnits.h"

#include <cmath>

namespace {

constexpr int LabelWidth = 5;

bool isPowerDensity(int unitCode) {
    return unitCode == 1 || unitCode == 2 || unitCode == 11 || unitCode == 12;
}

// "0e+0" / "0e-0": one rounded mantissa digit and the exponent.
QString oneDigitExponent(double value) {
    if (!(value > 0) || !std::isfinite(value)) return QStringLiteral("0e+0");
    int exponent = int(std::floor(std::log10(value)));
    long mantissa = std::lround(value / std::pow(10.0, exponent));
    if (mantissa >= 10) {
        mantissa = 1;
        ++exponent;
    }
    return QStringLiteral("%1e%2%3")
        .arg(mantissa)
        .arg(exponent < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(std::abs(exponent));
}

} // namespace

double dbPosition(double level, double reference, double dynamicRange) {
    const double floor = plotFloorDb(dynamicRange);
    if (!(level > 0) || !(reference > 0) || !std::isfinite(level) || !std::isfinite(reference))
        return floor;
    const double db = 20.0 * std::log10(level / reference);
    return std::isfinite(db) ? std::max(db, floor) : floor;
}

double drawingReference(double refLevel, int unitCode) {
    return unitCode == 13 ? refLevel / 1.2566 : refLevel;
}

QString levelGridLabel(double db, int unitCode, double refLevel, bool auxInDbm) {
    QString text;
    double value = 0;
    int decimals = 0;
    if (auxInDbm) {
        const double fullScale = GetdBm(refLevel);
        value = db + (std::isnan(fullScale) ? 0 : fullScale);
        decimals = 1;
    } else if (isPowerDensity(unitCode)) {
        value = std::pow(10.0, db / 10.0) * ConvUnit(float(refLevel), unitCode);
        if (value >= 1000 || value < 0.095) text = oneDigitExponent(value);
        decimals = 2;
    } else {
        value = std::pow(10.0, db / 20.0) * refLevel;
        decimals = 3;
    }
    if (text.isEmpty()) {
        text = RemoveRightZero(fixedText(value, decimals));
        // Five characters at most, but never by dropping integer digits (299.79 is not 99.79):
        // decimals go first.
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        if (text.size() > LabelWidth && point >= 0)
            text = RemoveRightZero(
                fixedText(value, int(std::max<qsizetype>(0, LabelWidth - point - 1))));
    }
    return text.rightJustified(LabelWidth, QLatin1Char(' '));
}

QList<LevelGridLine> levelGrid(int unitCode, double refLevel, double dynamicRange, bool auxInDbm) {
    QList<LevelGridLine> lines;
    for (double db = 0; db >= -dynamicRange - 1e-9; db -= PlotDbStep)
        lines.append({db, levelGridLabel(db, unitCode, refLevel, auxInDbm)});
    return lines;
}

QString divisionText(double span) {
    const double perDivision = span / 10.0;
    if (span < 10.0)
        return RemoveRightZero(QString::number(perDivision * 1000.0, 'f', 3)) +
               QStringLiteral(" kHz/Div");
    return RemoveRightZero(QString::number(perDivision, 'f', 3)) + QStringLiteral(" MHz/Div");
}

QString centerText(float centre) {
    return QStringLiteral("F Center:") + shortestText(centre) + QStringLiteral(" MHz");
}

QString edgeText(float frequency) {
    return shortestText(frequency) + QStringLiteral(" MHz");
}

QList<double> divisionFrequencies(double start, double stop) {
    QList<double> f;
    for (int i = 0; i <= 10; ++i)
        f.append(start + (stop - start) * i / 10.0);
    return f;
}
