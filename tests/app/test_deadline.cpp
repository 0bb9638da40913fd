#include "app/AppContext.h"
#include "app/Deadline.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(WaitSeconds, WaitAcrossMidnightEndsJustAfterMidnight) {
    TempAppDir dir;
    VirtualClock clock(QDate(2026, 3, 1), 86399.5);
    VirtualPump pump(clock, 0.001);
    AppContext ctx(dir.path(), QString(), clock, pump);
    EXPECT_TRUE(ctx.WaitSeconds(1.0));
    EXPECT_EQ(clock.today(), QDate(2026, 3, 2));
    EXPECT_NEAR(clock.secondsSinceMidnight(), 0.5, 0.01);
}
