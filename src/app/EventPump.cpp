#include "app/EventPump.h"

#include "app/Clock.h"

#include <QCoreApplication>
#include <QThread>
#include <cmath>

namespace {
// How long one pump may block. Input wakes the waiter at once, so the slice only bounds how
// late a click or a timer is seen; a shorter one costs wake-ups (about 0.4 % of a core per
// thousand a second) without making any exchange faster.
constexpr int kSliceMs = 4;
} // namespace

void QtEventPump::processEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::pump() {
    processEvents();
    if (waiter_)
        waiter_(kSliceMs);
    else
        QThread::msleep(kSliceMs);
}

VirtualPump::VirtualPump(VirtualClock& clock, double stepSeconds)
    : clock_(clock), step_(stepSeconds) {}

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

void VirtualPump::pump() {
    ++pumps_;
    processEvents();
    if (everyPump_) everyPump_();
    clock_.advance(step_);
}
