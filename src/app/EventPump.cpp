#include "app/EventPump.h"

#include "app/Clock.h"
#include "app/Deadline.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// The longest single sleep; a longer wait is a few more wake-ups an hour.
constexpr double kLongestSleepSeconds = 3600.0;
// The end of a wait is slept exactly, outside the event loop: too short for an operator to
// notice.
constexpr double kExactEndSeconds = 0.005;
} // namespace

double EventPump::secondsToNextInput() const {
    if (!inputDue_) return std::numeric_limits<double>::infinity();
    const double s = inputDue_();
    return std::isnan(s) ? std::numeric_limits<double>::infinity() : s;
}

void QtEventPump::preferLeanEventLoop() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
}

QtEventPump::QtEventPump() = default;
QtEventPump::~QtEventPump() = default;

void QtEventPump::processEvents() {
    // Window events and posted events, but no look at the ports: the reader asks the port
    // itself, and a poll of an empty terminal costs the next reply a slower wake-up.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents |
                                        QEventLoop::ExcludeSocketNotifiers);
}

void QtEventPump::pump(Deadline& until) {
    ++wakeUps_;
    const double left = std::min({until.remaining(), secondsToNextInput(), kLongestSleepSeconds});
    if (left <= 0) {
        processEvents();
        return;
    }
    if (!QCoreApplication::instance()) {
        // No event loop to wait in (a tool without an application object): only time can pass.
        QThread::usleep(ulong(std::ceil(left * 1e6)));
        return;
    }
    if (left <= kExactEndSeconds) {
        // Short enough to sleep through without the window noticing.
        processEvents();
        QThread::usleep(ulong(std::ceil(left * 1e6)));
        return;
    }
    if (!timer_) {
        timer_ = std::make_unique<QTimer>();
        timer_->setSingleShot(true);
        // A coarse timer may fire early and cost a second wake-up for the same wait.
        timer_->setTimerType(Qt::PreciseTimer);
    }
    // Qt's timers count whole milliseconds and the kernel lets a sleep run late by about a
    // thousandth of its length, so a timer set for the end would overrun it by up to two
    // milliseconds on every fixed wait. It rings a little early instead, and the next call
    // sleeps out the rest.
    const double early = std::max(kExactEndSeconds / 2, left * 0.002);
    timer_->start(std::max(1, int((left - early) * 1000.0)));
    // Runs what is pending, or sleeps until the loop has something to deliver: the timer
    // above, the port's notifier, a window event, the signal pipe.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    timer_->stop();
}

VirtualPump::VirtualPump(VirtualClock& clock, double maxStepSeconds)
    : clock_(clock), maxStep_(maxStepSeconds) {}

void VirtualPump::at(long long atMicros, std::function<void()> action) {
    scheduled_.emplace(atMicros, std::move(action));
}

void VirtualPump::after(double seconds, std::function<void()> action) {
    at(clock_.micros() + (long long)std::llround(seconds * 1e6), std::move(action));
}

void VirtualPump::processEvents() {
    while (!scheduled_.empty() && scheduled_.begin()->first <= clock_.micros()) {
        auto action = std::move(scheduled_.begin()->second);
        scheduled_.erase(scheduled_.begin());
        action();
    }
}

void VirtualPump::pump(Deadline& until) {
    ++wakeUps_;
    processEvents();
    if (everyPump_) everyPump_();
    // Whole microseconds, at least one, so that every pump makes progress; the small
    // allowance keeps rounding noise from stepping one microsecond past an exact end.
    auto micros = [](double seconds) {
        return std::max<long long>(1, (long long)std::ceil(seconds * 1e6 - 1e-3));
    };
    const double left = until.remaining();
    if (left <= 0) return;
    long long step = micros(std::min(left, kLongestSleepSeconds));
    if (!scheduled_.empty()) step = std::min(step, scheduled_.begin()->first - clock_.micros());
    const double input = secondsToNextInput();
    if (input < left) step = std::min(step, micros(std::max(input, 0.0)));
    if (maxStep_ > 0) step = std::min(step, micros(maxStep_));
    clock_.advance(double(std::max<long long>(step, 1)) / 1e6);
    // What falls due at the time reached happens within this call, as an event that ends a
    // real sleep is delivered before the pump returns.
    processEvents();
}
