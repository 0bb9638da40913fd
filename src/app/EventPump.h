#pragma once

#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>

class Deadline;
class QTimer;
class VirtualClock;

// Every wait of the program goes through pump(): it lets pending events run and then sleeps
// until something happens, so a waiting program costs nothing while nothing happens.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Lets pending events run, then sleeps until an event arrives (operator, timer, input on
    // the port, a signal) or `until` ends. Returns at once when `until` has already ended. The
    // caller looks at what changed and calls again: one call is one wake-up.
    virtual void pump(Deadline& until) = 0;
    // Lets pending events run without waiting: for loops that only need the window to stay
    // alive between two steps that follow each other at once.
    virtual void processEvents() = 0;

    // Input the event loop cannot see by itself (an in-process simulated line): seconds until
    // its next byte arrives, infinity when none is expected. A port with a file descriptor
    // needs none; its arrivals wake the event loop directly. Set where the program is put
    // together.
    void setInputDue(std::function<double()> secondsToNextInput) {
        inputDue_ = std::move(secondsToNextInput);
    }
    // Calls of pump(), for the benchmarks: a waiting program should make few.
    long long wakeUps() const { return wakeUps_; }

protected:
    double secondsToNextInput() const;
    long long wakeUps_ = 0;

private:
    std::function<double()> inputDue_;
};

// Sleeps in Qt's event loop: a precise single-shot timer at the end of the wait, and whatever
// else the loop watches (the serial port's notifier, window events, the signal pipe) ends the
// sleep earlier. No fixed slices.
class QtEventPump : public EventPump {
public:
    // Call before the application object is made: Qt's own event loop instead of GLib's,
    // which costs a third less per wake-up and so per probe reply.
    static void preferLeanEventLoop();

    QtEventPump();
    ~QtEventPump() override;
    void pump(Deadline& until) override;
    void processEvents() override;

private:
    std::unique_ptr<QTimer> timer_;
};

// Moves a virtual clock straight to the next thing that can happen: a scheduled action, the
// next byte of simulated input or the end of the wait. With a maximum step the clock moves at
// most that far per pump, for tests that act on every pump at a fixed granularity.
class VirtualPump : public EventPump {
public:
    // maxStepSeconds 0: no limit.
    explicit VirtualPump(VirtualClock& clock, double maxStepSeconds = 0.0);
    void pump(Deadline& until) override;
    // Runs what is due without moving the clock.
    void processEvents() override;

    // Runs action once, within the pump that brings the clock's micros() to `atMicros` (or
    // the first one after that time).
    void at(long long atMicros, std::function<void()> action);
    // Runs action once, after `seconds` of virtual time from now.
    void after(double seconds, std::function<void()> action);
    // Runs on every pump (before the clock moves).
    void onEveryPump(std::function<void()> action) { everyPump_ = std::move(action); }
    long long pumps() const { return wakeUps_; }

private:
    VirtualClock& clock_;
    double maxStep_;
    std::multimap<long long, std::function<void()>> scheduled_;
    std::function<void()> everyPump_;
};
