#include "SimTestUtil.h"

#include "app/Clock.h"
#include "sim/SimChannel.h"

#include <gtest/gtest.h>

namespace {

// Collects what arrives on the channel while virtual time passes in 1 ms steps.
QByteArray collect(SimChannel& ch, VirtualClock& clock, double seconds) {
    QByteArray all;
    for (double waited = 0; waited < seconds; waited += 0.001) {
        const qint64 n = ch.bytesWaiting();
        if (n > 0) {
            QByteArray chunk;
            EXPECT_TRUE(ch.read(n, chunk));
            all += chunk;
        }
        clock.advance(0.001);
    }
    return all;
}

TEST(SimChannel, DefaultNetworkAnswersOnItsThreePortsOnly) {
    VirtualClock clock;
    SimChannel ch(clock, defaultScenario());
    EXPECT_EQ(ch.network().ports(), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(ch.open(0));
    EXPECT_FALSE(ch.open(4));
    EXPECT_FALSE(ch.isOpen());
    EXPECT_EQ(ch.bytesWaiting(), -1);
    QByteArray out;
    EXPECT_FALSE(ch.read(10, out));
    EXPECT_EQ(ch.write("#00?S0*", 1000), -1);

    for (int port : {1, 2, 3}) {
        ASSERT_TRUE(ch.open(port));
        EXPECT_EQ(ch.openPort(), port);
        EXPECT_EQ(ch.write("#00?S0*", 1000), 7);
        EXPECT_EQ(collect(ch, clock, 0.1), ch.probe(port)->config().serial + "*");
        ch.close();
    }
}

TEST(SimChannel, BytesArriveAsVirtualTimePasses) {
    VirtualClock clock;
    SimChannel ch(clock, defaultScenario());
    ASSERT_TRUE(ch.open(1));
    ch.write("#00V*", 1000);
    EXPECT_EQ(ch.bytesWaiting(), 0) << "nothing before the probe had time to answer";
    clock.advance(0.015);
    const qint64 early = ch.bytesWaiting();
    clock.advance(0.5);
    const qint64 late = ch.bytesWaiting();
    EXPECT_GT(late, early);
    EXPECT_EQ(late, 8 + ch.probe(1)->config().firmware.size() + 1);
    // Partial reads leave the rest waiting.
    QByteArray out;
    ASSERT_TRUE(ch.read(3, out));
    EXPECT_EQ(out.size(), 3);
    EXPECT_EQ(ch.bytesWaiting(), late - 3);
}

TEST(SimChannel, PortsOpenForOneChannelAtATime) {
    VirtualClock clock;
    SimNetwork network(clock, defaultScenario());
    SimChannel a(network);
    SimChannel b(network);
    ASSERT_TRUE(a.open(2));
    EXPECT_FALSE(b.open(2));
    EXPECT_TRUE(b.open(3));
    a.close();
    EXPECT_TRUE(b.open(2)) << "b gives up 3 and takes the freed port";
    EXPECT_TRUE(a.open(3));
}

TEST(SimChannel, WhatThePortSaidWhileClosedIsLost) {
    VirtualClock clock;
    SimChannel ch(clock, defaultScenario());
    ASSERT_TRUE(ch.open(1));
    ch.write("#00?S0*", 1000);
    ch.close();
    clock.advance(1.0);
    ASSERT_TRUE(ch.open(1));
    EXPECT_EQ(ch.bytesWaiting(), 0);
    // Unread input does not survive a close either.
    ch.write("#00(b1*", 1000);
    clock.advance(1.0);
    EXPECT_GT(ch.bytesWaiting(), 0);
    ch.close();
    ASSERT_TRUE(ch.open(1));
    EXPECT_EQ(ch.bytesWaiting(), 0);
}

TEST(SimChannel, AVanishedPortFailsAndComesBack) {
    VirtualClock clock;
    Scenario s = defaultScenario();
    s.stations[1].faults.vanish = VanishPlan{true, 5.0, 10.0};
    SimChannel ch(clock, s);
    ASSERT_TRUE(ch.open(2));
    clock.advance(6.0);
    // Gone while open: every call on it fails, as with a pulled USB adapter.
    EXPECT_EQ(ch.bytesWaiting(), -1);
    QByteArray out;
    EXPECT_FALSE(ch.read(1, out));
    EXPECT_EQ(ch.write("#00?S0*", 1000), -1);
    EXPECT_FALSE(ch.flushOutput());
    EXPECT_FALSE(ch.open(2));
    EXPECT_TRUE(ch.open(1)) << "the other stations stay";
    clock.advance(10.0);
    ASSERT_TRUE(ch.open(2));
    ch.write("#00?S0*", 1000);
    EXPECT_EQ(collect(ch, clock, 0.1), QByteArray("241AB01002*"));

    // The run-time switches.
    ch.probe(2)->setPresent(false);
    EXPECT_EQ(ch.bytesWaiting(), -1);
    EXPECT_FALSE(ch.open(2));
    ch.probe(2)->setPresent(true);
    EXPECT_TRUE(ch.open(2));
    ch.probe(2)->vanishFor(ch.network().now(), 2.0);
    EXPECT_FALSE(ch.open(2));
    clock.advance(2.5);
    EXPECT_TRUE(ch.open(2));
}

TEST(SimChannel, NetworkTimeNeverGoesBack) {
    VirtualClock clock(QDate(2026, 3, 1), 86399.5);
    SimNetwork network(clock);
    const double t0 = network.now();
    clock.advance(1.0); // across midnight
    EXPECT_NEAR(network.now() - t0, 1.0, 1e-9);
    clock.set(QDate(2026, 3, 2), 100.0); // set back by an hour or so
    const double held = network.now();
    EXPECT_GE(held, t0 + 1.0);
    clock.advance(0.25);
    EXPECT_NEAR(network.now() - held, 0.25, 1e-9);
}

// A clock that is not a VirtualClock (so the channel really blocks in its waits) but only
// moves when told to.
class HandClock : public Clock {
public:
    double secondsSinceMidnight() const override { return seconds_; }
    QDate today() const override { return QDate(2026, 1, 15); }
    void advance(double s) { seconds_ += s; }

private:
    double seconds_ = 36000.0;
};

TEST(SimChannel, WaitsOnRealTimeBlockUnlessSomethingNewArrived) {
    HandClock clock;
    SimChannel ch(clock, defaultScenario());
    // Without an open port there is nothing to wake up for: the whole slice is slept.
    EXPECT_DOUBLE_EQ(ch.blockingSeconds(4), 0.004);

    ASSERT_TRUE(ch.open(1));
    EXPECT_DOUBLE_EQ(ch.blockingSeconds(4), 0.004) << "silent line";
    ch.write("#00V*", 1000);
    clock.advance(0.5);
    EXPECT_EQ(ch.blockingSeconds(4), 0.0) << "the reply is news";
    EXPECT_GT(ch.bytesWaiting(), 0);
    // Reported but left unread (a wait between two exchanges): waiting again must block,
    // or every pump of that wait would return at once and spin.
    EXPECT_DOUBLE_EQ(ch.blockingSeconds(4), 0.004);
    QByteArray out;
    ASSERT_TRUE(ch.read(3, out));
    EXPECT_DOUBLE_EQ(ch.blockingSeconds(4), 0.004) << "the rest was reported already";

    // A reply on its way: the wait lasts until its first byte is due, no longer.
    ch.write("#00?S0*", 1000);
    const double block = ch.blockingSeconds(4);
    EXPECT_GT(block, 0.0);
    EXPECT_LE(block, 0.004);
    clock.advance(0.5);
    EXPECT_EQ(ch.blockingSeconds(4), 0.0);
}

} // namespace
