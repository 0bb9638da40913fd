#include "app/Clock.h"

#include <QTime>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
constexpr qint64 kMicrosPerDay = 86400LL * 1000000LL;
}

QDateTime Clock::now() const {
    // Date and time are two readings; when midnight falls between them the date must be
    // the one of the time read, or a line at 23:59:59 would carry the next day's date.
    QDate day = today();
    double s = secondsSinceMidnight();
    const QDate after = today();
    if (after != day) {
        day = after;
        s = secondsSinceMidnight();
    }
    const int ms = int(std::clamp(std::floor(s * 1000.0), 0.0, 86399999.0));
    return QDateTime(day, QTime::fromMSecsSinceStartOfDay(ms));
}

SystemClock::SystemClock() {
#ifdef Q_OS_UNIX
    // Without TZ the C library looks at /etc/localtime on every clock read, and waits read
    // the clock on every pump. Naming the file once lets it cache the zone.
    if (qEnvironmentVariableIsEmpty("TZ")) qputenv("TZ", ":/etc/localtime");
#endif
}

double SystemClock::secondsSinceMidnight() const {
    // To the microsecond: the simulator paces its line by this clock, and at whole
    // milliseconds a reply's last byte would seem due up to a millisecond late.
    const qint64 us = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
    const QTime local = QDateTime::fromMSecsSinceEpoch(us / 1000).time();
    return local.msecsSinceStartOfDay() / 1000.0 + double(us % 1000) / 1e6;
}

QDate SystemClock::today() const {
    return QDate::currentDate();
}

VirtualClock::VirtualClock(QDate date, double secondsSinceMidnight) {
    set(date, secondsSinceMidnight);
}

void VirtualClock::set(QDate date, double secondsSinceMidnight) {
    origin_ = date;
    micros_ = qint64(std::llround(secondsSinceMidnight * 1e6));
}

double VirtualClock::secondsSinceMidnight() const {
    return double(micros_ % kMicrosPerDay) / 1e6;
}

QDate VirtualClock::today() const {
    return origin_.addDays(micros_ / kMicrosPerDay);
}

void VirtualClock::advance(double seconds) {
    if (seconds > 0) micros_ += qint64(std::llround(seconds * 1e6));
}
