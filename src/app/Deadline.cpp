#include "app/Deadline.h"

#include "app/Clock.h"

#include <algorithm>
#include <cmath>

namespace {
// A length that is not a number would never compare as reached.
double usableLength(double s) { return std::isnan(s) ? 0.0 : s; }
} // namespace

Deadline::Deadline(const Clock& clock, double lengthSeconds)
    : clock_(clock), length_(usableLength(lengthSeconds)) {
    // Date and time must belong to the same day: a start read at 23:59:59.999 with the next
    // day's date would make the wait last until the following midnight.
    date_ = clock.today();
    start_ = clock.secondsSinceMidnight();
    if (clock.today() != date_) {
        date_ = clock.today();
        start_ = clock.secondsSinceMidnight();
    }
    toMidnight_ = 86400.0 - start_;
    end_ = start_ + length_;
}

void Deadline::applyMidnightRule() {
    const QDate today = clock_.today();
    if (today > date_) {
        const double now = clock_.secondsSinceMidnight();
        // Several days may have passed while the program was not pumping; the wait is over.
        const double lost = double(date_.daysTo(today) - 1) * 86400.0;
        date_ = today;
        start_ = now;
        end_ = start_ + std::max(0.0, length_ - toMidnight_ - lost - now);
        length_ = end_ - start_;
        toMidnight_ = 86400.0 - start_;
    }
}

bool Deadline::expired() {
    applyMidnightRule();
    return clock_.secondsSinceMidnight() >= end_;
}

double Deadline::remaining() {
    applyMidnightRule();
    return end_ - clock_.secondsSinceMidnight();
}
