#include "app/EventPump.h"

#include "app/Clock.h"

#include <QCoreApplication>
#include <QThread>
#include <cmath>

void QtEventPump::pump() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (waiter_)
        waiter_(1);
    else
        QThread::msleep(1);
}

VirtualPump::VirtualPump(VirtualClock& clock, double stepSeconds)
    : clock_(clock), step_(stepSeconds) {}

void VirtualPump::at(long long atMicros, std::function<void()> action) {
    scheduled_.emplace(atMicros, std::move(action));
}

void VirtualPump::after(double seconds, std::function<void()> action) {
    at(clock_.micros() + (long long)std::llround(seconds * 1e6), std::move(action));
}

void VirtualPump::pump() {
    ++pumps_;
    while (!scheduled_.empty() && scheduled_.begin()->first <= clock_.micros()) {
        auto action = std::move(scheduled_.begin()->second);
        scheduled_.erase(scheduled_.begin());
        action();
    }
    if (everyPump_)
        everyPump_();
    clock_.advance(step_);
}
