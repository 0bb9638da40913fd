#pragma once

#include <functional>
#include <map>

class VirtualClock;

// Every wait of the program goes through pump(): it lets pending events run and then gives
// time away, so a waiting program does not burn CPU.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Lets pending events run, then gives a little time away (or lets virtual time pass).
    virtual void pump() = 0;
    // Lets pending events run without waiting: for loops that only need the window to stay
    // alive between two steps that follow each other at once.
    virtual void processEvents() = 0;
};

// Processes Qt events, then blocks for a few milliseconds, or until input arrives when an
// input waiter is installed (the open serial port sets one).
class QtEventPump : public EventPump {
public:
    void pump() override;
    void processEvents() override;
    // waiter(ms) blocks at most ms milliseconds and returns early when input arrives.
    void setInputWaiter(std::function<void(int)> waiter) { waiter_ = std::move(waiter); }

private:
    std::function<void(int)> waiter_;
};

// Advances a virtual clock by a fixed step on every pump and runs the actions scheduled for
// the time reached. Tests use the actions to press Stop or close a port at a given moment.
class VirtualPump : public EventPump {
public:
    explicit VirtualPump(VirtualClock& clock, double stepSeconds = 0.001);
    void pump() override;
    // Runs what is due without moving the clock.
    void processEvents() override;

    // Runs action once, on the first pump at or after the clock's micros() value `atMicros`.
    void at(long long atMicros, std::function<void()> action);
    // Runs action once, after `seconds` of virtual time from now.
    void after(double seconds, std::function<void()> action);
    // Runs on every pump (before the clock moves).
    void onEveryPump(std::function<void()> action) { everyPump_ = std::move(action); }
    void setStep(double seconds) { step_ = seconds; }
    long long pumps() const { return pumps_; }

private:
    VirtualClock& clock_;
    double step_;
    std::multimap<long long, std::function<void()>> scheduled_;
    std::function<void()> everyPump_;
    long long pumps_ = 0;
};
