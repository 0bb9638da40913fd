#include "app/Deadline.h"

#include "app/Clock.h"

#include <algorithm>

Deadline::Deadline(const Clock& clock, double lengthSeconds)
    : clock_(clock), length_(lengthSeconds), start_(clock.secondsSinceMidnight()),
      toMidnight_(86400.0 - start_), end_(start_ + lengthSeconds), date_(clock.today()) {}

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
