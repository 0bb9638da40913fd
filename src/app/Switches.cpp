#include "app/Switches.h"

#include <algorithm>
#include <cmath>
#include <limits>

QString Switches::value(const QString& valueSwitch) const {
    const int at = line_.indexOf(valueSwitch, 0, Qt::CaseSensitive);
    if (at < 0)
        return {};
    const int from = at + valueSwitch.size();
    const int close = line_.indexOf(QLatin1Char('/'), from);
    if (close < 0)
        return {};
    return line_.mid(from, close - from).replace(QLatin1Char(','), QLatin1Char('.'));
}

double roundHalfEven(double v) { return std::nearbyint(v); } // default rounding mode: to even

double leadingNumber(const QString& text, bool* ok) {
    QString t = text;
    const int comma = t.indexOf(QLatin1Char(','));
    if (comma >= 0)
        t[comma] = QLatin1Char('.');
    int i = 0;
    while (i < t.size() && t[i] == QLatin1Char(' '))
        ++i;
    const int begin = i;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    bool digits = false, dot = false;
    for (; i < t.size(); ++i) {
        if (t[i].isDigit() && t[i].unicode() < 128)
            digits = true;
        else if (t[i] == QLatin1Char('.') && !dot)
            dot = true;
        else
            break;
    }
    // An exponent counts only when digits follow it.
    if (digits && i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < t.size() && (t[j] == QLatin1Char('+') || t[j] == QLatin1Char('-')))
            ++j;
        int k = j;
        while (k < t.size() && t[k].isDigit() && t[k].unicode() < 128)
            ++k;
        if (k > j)
            i = k;
    }
    if (ok)
        *ok = digits;
    if (!digits)
        return 0.0;
    bool conv = false;
    const double v = t.mid(begin, i - begin).toDouble(&conv);
    if (!conv || !std::isfinite(v)) {
        if (ok)
            *ok = false;
        return 0.0;
    }
    return v;
}

int Switches::rateHours() const {
    const QString v = value(QStringLiteral("/RATEHOURS="));
    if (v.isNull())
        return -1;
    bool ok = false;
    const double d = v.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return -1;
    const double r = roundHalfEven(d);
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        return -1;
    return int(std::clamp(r, 1.0, 1440.0));
}

int Switches::delaySc() const {
    const QString v = value(QStringLiteral("/DELAYSC="));
    if (v.isNull())
        return 0;
    bool ok = false;
    double d = leadingNumber(v, &ok);
    if (!ok)
        d = 0.0; // a text that is no number reads as 0, and is then clamped up to 1
    d = std::clamp(d, 1.0, 60.0);
    return int(roundHalfEven(d));
}
