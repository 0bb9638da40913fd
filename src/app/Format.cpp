#include "app/Format.h"

#include <cmath>

QString PadLogText(const QString& text) {
    return text.size() >= 80 ? text : text.leftJustified(80, QLatin1Char(' '));
}

QString FormatSeconds(double seconds) {
    if (!std::isfinite(seconds))
        return {};
    const long long sec = (long long)std::nearbyint(seconds) % 60;
    const double totalMinutes = seconds / 60.0;
    long long minutes, hours;
    if (totalMinutes < 60) {
        minutes = (long long)std::trunc(totalMinutes);
        hours = 0;
    } else {
        const long long whole = (long long)std::trunc(totalMinutes);
        minutes = whole % 60;
        hours = whole / 60;
    }
    if (sec <= 0 && minutes <= 0 && hours <= 0)
        return {};
    auto two = [](long long v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(hours) + QLatin1Char(':') + two(minutes) + QLatin1Char(':') + two(sec);
}
