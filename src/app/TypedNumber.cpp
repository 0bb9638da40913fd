#include "app/TypedNumber.h"

#include "app/Switches.h"

#include <algorithm>
#include <cmath>

double typedNumber(const QString& text, double low, double high, bool absolute) {
    double v = leadingNumber(text.trimmed());
    if (std::isnan(v)) v = 0.0;
    if (absolute) v = std::fabs(v);
    return std::clamp(v, low, high); // infinities clamp to the ends
}

qint32 typedWhole(const QString& text, qint32 low, qint32 high, bool absolute) {
    return qint32(roundHalfEven(typedNumber(text, low, high, absolute)));
}
