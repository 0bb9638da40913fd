#pragma once

#include <QDate>
#include <QDateTime>
#include <QtGlobal>

// The only source of time of day and date in the program. Times of day are seconds since
// midnight; they wrap to 0 when the date changes.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double secondsSinceMidnight() const = 0;
    virtual QDate today() const = 0;
    QDateTime now() const;
};

class SystemClock : public Clock {
public:
    SystemClock();
    double secondsSinceMidnight() const override;
    QDate today() const override;
};

// A clock that only moves when told to. Tests and the in-process simulator run on it, so a
// ten-minute report period or a wait across midnight takes milliseconds.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(QDate date = QDate(2026, 1, 15), double secondsSinceMidnight = 36000.0);

    double secondsSinceMidnight() const override;
    QDate today() const override;

    void advance(double seconds);
    void set(QDate date, double secondsSinceMidnight);
    // Microseconds since the clock's own origin: a monotonic count for schedules.
    qint64 micros() const { return micros_; }

private:
    QDate origin_;
    qint64 micros_ = 0; // since origin_ 00:00:00
};
