#include "app/Format.h"

#include <algorithm>
#include <cmath>

QString PadLogText(const QString& text) {
    return text.size() >= 80 ? text : text.leftJustified(80, QLatin1Char(' '));
}

QString FormatSeconds(double seconds) {
    if (!std::isfinite(seconds))
        return {};
    // Round the total once, so that 59.6 s shows "00:01:00" rather than nothing and 3599.6 s
    // "01:00:00" rather than "00:59:00". Absurd values are capped before the conversion.
    const long long total = (long long)std::nearbyint(std::clamp(seconds, -1.0, 1e12));
    if (total <= 0)
        return {};
    const long long sec = total % 60;
    const long long minutes = (total / 60) % 60;
    const long long hours = total / 3600;
    auto two = [](long long v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(hours) + QLatin1Char(':') + two(minutes) + QLatin1Char(':') + two(sec);
}
