#include "measure/NumberFormat.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

QString shortestText(double value) {
    if (!std::isfinite(value)) return QStringLiteral("0");
    QString t = QString::number(value, 'f', QLocale::FloatingPointShortest);
    if (t == QLatin1String("-0")) t = QStringLiteral("0");
    return t;
}

QString fourDecimals(double value) {
    if (!std::isfinite(value)) value = 0.0;
    QString t = QString::number(value, 'f', 4);
    if (t == QLatin1String("-0.0000")) t = QStringLiteral("0.0000");
    return t;
}

void NumberColumns::TrovaCMaxIntDec(double value, bool continueFlag) {
    if (!continueFlag) {
        maxInt_ = 0;
        maxDec_ = 0;
    }
    const QString t = shortestText(value);
    const int dot = t.indexOf(QLatin1Char('.'));
    const int intDigits = dot < 0 ? int(t.size()) : dot;
    const int decDigits = dot < 0 ? 0 : int(t.size()) - dot - 1;
    maxInt_ = std::max(maxInt_, intDigits);
    maxDec_ = std::max(maxDec_, decDigits);
}

QString FormattaSTConSpazi(const QString& text, int intDigits, int decDigits) {
    auto blanks = [](qsizetype n) { return QString(std::max<qsizetype>(0, n), QLatin1Char(' ')); };
    const int dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QString intPart = text.left(dot);
        const QString decPart = text.mid(dot + 1);
        return blanks(intDigits - intPart.size()) + intPart + QLatin1Char('.') + decPart +
               blanks(decDigits + 2 - decPart.size());
    }
    return blanks(intDigits + 2 - text.size()) + text + blanks(decDigits + 1);
}

QString ForSTPerReport(const QString& text, bool frequencyColumn, int intDigits, int decDigits,
                       const QString& separator) {
    QString cell = intDigits != 0 ? FormattaSTConSpazi(text, intDigits, decDigits) : text;
    cell = frequencyColumn ? cell.leftJustified(15, QLatin1Char(' '))
                           : cell.rightJustified(15, QLatin1Char(' '));
    return cell + separator;
}
