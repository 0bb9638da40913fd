#include "app/AppContext.h"
#include "app/Deadline.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace {

struct WaitFixture {
    WaitFixture(QDate date, double seconds, double step = 0.001)
        : clock(date, seconds), pump(clock, step), ctx(dir.path(), QString(), clock, pump) {}
    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump;
    AppContext ctx;
};

} // namespace

TEST(WaitSeconds, WaitAcrossMidnightEndsJustAfterMidnight) {
    WaitFixture f(QDate(2026, 3, 1), 86399.5);
    EXPECT_TRUE(f.ctx.WaitSeconds(1.0));
    EXPECT_EQ(f.clock.today(), QDate(2026, 3, 2));
    EXPECT_NEAR(f.clock.secondsSinceMidnight(), 0.5, 0.01);
}

TEST(WaitSeconds, EndsAfterItsLengthAndLetsEventsRun) {
    WaitFixture f(QDate(2026, 3, 1), 3600.0);
    EXPECT_TRUE(f.ctx.WaitSeconds(2.5));
    EXPECT_NEAR(f.clock.secondsSinceMidnight(), 3602.5, 0.002);
    EXPECT_GE(f.pump.pumps(), 2000); // every step went through the pump

    const long long before = f.pump.pumps();
    EXPECT_TRUE(f.ctx.WaitSeconds(0));
    EXPECT_TRUE(f.ctx.WaitSeconds(-3));
    EXPECT_LE(f.pump.pumps() - before, 2);
}

TEST(WaitSeconds, StopRequestEndsTheWaitAtOnce) {
    WaitFixture f(QDate(2026, 3, 1), 100.0);
    f.pump.after(0.25, [&] { f.ctx.flags.StopRequest = true; });
    EXPECT_FALSE(f.ctx.WaitSeconds(30));
    EXPECT_NEAR(f.clock.secondsSinceMidnight(), 100.25, 0.003);

    // Already raised: no time passes at all.
    const double t = f.clock.secondsSinceMidnight();
    EXPECT_FALSE(f.ctx.WaitSeconds(30));
    EXPECT_EQ(f.clock.secondsSinceMidnight(), t);
}

TEST(WaitSeconds, NotANumberDoesNotHang) {
    WaitFixture f(QDate(2026, 3, 1), 100.0);
    // A stop after a minute would end an endless wait; the wait must end long before.
    f.pump.after(60, [&] { f.ctx.flags.StopRequest = true; });
    EXPECT_TRUE(f.ctx.WaitSeconds(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_LT(f.clock.secondsSinceMidnight(), 101.0);
}

TEST(Deadline, MidnightRuleKeepsTheLengthOfTheWait) {
    // Start, length and pump step of the wait, and when after midnight it ends.
    const std::array<double, 4> cases[] = {
        {86399.5, 1.0, 0.001, 0.5},
        {86390.0, 20.0, 0.5, 10.0},
        {86399.9, 0.05, 0.3, 0.0}, // the wrap itself already went past the end
        {80000.0, 90000.0, 1.0, 83600.0},
    };
    for (const auto& [start, length, step, end] : cases) {
        SCOPED_TRACE(start);
        VirtualClock clock(QDate(2026, 6, 30), start);
        Deadline d(clock, length);
        while (!d.expired())
            clock.advance(step);
        EXPECT_EQ(clock.today(), QDate(2026, 7, 1));
        EXPECT_GE(clock.secondsSinceMidnight(), end);
        EXPECT_LT(clock.secondsSinceMidnight(), end + step + 1e-6);
    }
}

TEST(Deadline, WaitSpanningTwoMidnightsAndDaysWithoutPumping) {
    VirtualClock clock(QDate(2026, 6, 30), 43200.0);
    Deadline d(clock, 2 * 86400.0);
    clock.set(QDate(2026, 7, 1), 100.0);
    EXPECT_FALSE(d.expired());
    EXPECT_NEAR(d.remaining(), 86400.0 + 43200.0 - 100.0, 1e-6);
    clock.set(QDate(2026, 7, 2), 43199.0);
    EXPECT_FALSE(d.expired());
    clock.set(QDate(2026, 7, 2), 43200.0);
    EXPECT_TRUE(d.expired());

    // The program did not look at the clock for three days: the wait is over.
    VirtualClock late(QDate(2026, 6, 30), 36000.0);
    Deadline d2(late, 3600.0);
    late.set(QDate(2026, 7, 3), 10.0);
    EXPECT_TRUE(d2.expired());
}

namespace {

// A real clock moves between two readings. This one moves 0.4 ms on every reading, so that
// midnight falls between reading the time and reading the date.
class TickingClock : public Clock {
public:
    TickingClock(QDate date, double seconds) : inner_(date, seconds) {}
    double secondsSinceMidnight() const override {
        inner_.advance(0.0004);
        return inner_.secondsSinceMidnight();
    }
    QDate today() const override {
        inner_.advance(0.0004);
        return inner_.today();
    }

private:
    mutable VirtualClock inner_;
};

} // namespace

TEST(Clock, MidnightBetweenTwoReadingsGivesOneConsistentMoment) {
    for (double start : {86399.9988, 86399.9992, 86399.9996}) {
        SCOPED_TRACE(start);
        TickingClock clock(QDate(2026, 1, 15), start);
        const QDateTime t = clock.now();
        const QDateTime midnight(QDate(2026, 1, 16), QTime(0, 0));
        EXPECT_LE(std::abs(t.msecsTo(midnight)), 5);

        // A one-second wait begun at that moment ends about a second later, not a day later.
        TickingClock waitClock(QDate(2026, 1, 15), start);
        Deadline d(waitClock, 1.0);
        int readings = 0;
        while (!d.expired() && readings < 100000)
            ++readings;
        EXPECT_LT(readings, 3000);
    }
}

TEST(Clock, NowCombinesDateAndTimeOfTheSameMoment) {
    VirtualClock clock(QDate(2026, 1, 15), 86399.9996);
    EXPECT_EQ(clock.now(), QDateTime(QDate(2026, 1, 15), QTime(23, 59, 59, 999)));
    clock.advance(0.001);
    EXPECT_EQ(clock.now(), QDateTime(QDate(2026, 1, 16), QTime(0, 0, 0, 0)));
}
