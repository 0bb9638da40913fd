#pragma once

#include <QDate>

class Clock;

// A wait of a given length measured on the time-of-day clock. The clock wraps to 0 at
// midnight; when the date has moved on, the wait restarts from the present clock value with
// the time that was still left before midnight taken off, so a wait across midnight keeps its
// length instead of hanging until the next day. Every timed wait of the program uses this.
class Deadline {
public:
    Deadline(const Clock& clock, double lengthSeconds);

    // Applies the midnight rule and tells whether the end has been reached.
    bool expired();
    // Seconds still to go (may be negative once expired); applies the midnight rule.
    double remaining();
    double end() { applyMidnightRule(); return end_; }
    void applyMidnightRule();

private:
    const Clock& clock_;
    double length_;
    double start_;
    double toMidnight_;
    double end_;
    QDate date_;
};
