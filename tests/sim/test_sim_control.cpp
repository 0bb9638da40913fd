#include "sim/SimControl.h"

#include "app/Clock.h"
#include "sim/SimNetwork.h"

#include <gtest/gtest.h>

namespace {

TEST(SimControl, SwitchesFaultsAndPresenceWhileServing) {
    VirtualClock clock;
    SimNetwork network(clock, defaultScenario());
    const auto run = [&](const char* line) { return executeSimControl(network, line); };
    EXPECT_TRUE(run("list").contains("COM2  serial 241AB01002  present  faults: none"));

    EXPECT_TRUE(run("fault 2 silent on").contains("faults: silent"));
    EXPECT_TRUE(network.probe(2)->faults()[FaultKind::Silent].enabled);
    EXPECT_FALSE(network.probe(1)->faults()[FaultKind::Silent].enabled);
    run("  FAULT   all  Late  3 ");
    for (int port : {1, 2, 3})
        EXPECT_EQ(network.probe(port)->faults()[FaultKind::Late].count, 3);
    EXPECT_TRUE(run("list").contains("late(3)"));
    run("fault 2 silent off");
    EXPECT_FALSE(network.probe(2)->faults()[FaultKind::Silent].enabled);
    EXPECT_TRUE(run("fault 1 stall 1 point=200 duration=2.5").contains("stall(1)"));
    const Fault& stall = network.probe(1)->faults()[FaultKind::Stall];
    EXPECT_EQ(stall.point, 200);
    EXPECT_DOUBLE_EQ(stall.duration, 2.5);

    run("vanish 3");
    EXPECT_FALSE(network.probe(3)->present(network.now()));
    run("back 3");
    EXPECT_TRUE(network.probe(3)->present(network.now()));
    run("vanish 1 2.5");
    EXPECT_FALSE(network.probe(1)->present(network.now()));
    clock.advance(3.0);
    EXPECT_TRUE(network.probe(1)->present(network.now()));
}

TEST(SimControl, BadLinesAnswerWithoutChangingAnything) {
    VirtualClock clock;
    SimNetwork network(clock, defaultScenario());
    EXPECT_TRUE(executeSimControl(network, "fault 9 silent on").contains("no station on port 9"));
    EXPECT_TRUE(executeSimControl(network, "fault 1 melt on").contains("unknown fault melt"));
    EXPECT_TRUE(executeSimControl(network, "fault 1 late soon").contains("expected on, off"));
    EXPECT_TRUE(executeSimControl(network, "fault 1 late -5").contains("expected on, off"));
    EXPECT_TRUE(executeSimControl(network, "vanish 1 -3").contains("seconds"));
    EXPECT_TRUE(executeSimControl(network, "fault 1 stall on point=-1").contains("point="));
    EXPECT_TRUE(executeSimControl(network, "fault 1 stall on duration=x").contains("duration="));
    EXPECT_TRUE(executeSimControl(network, "fault 1 stall on speed=3").contains("expected"));
    EXPECT_TRUE(executeSimControl(network, "vanish x").contains("no station on port x"));
    EXPECT_TRUE(executeSimControl(network, "dance").startsWith("not understood: dance"));
    EXPECT_TRUE(executeSimControl(network, "   ").isEmpty());
    for (int port : {1, 2, 3}) {
        EXPECT_TRUE(network.probe(port)->present(network.now()));
        for (int k = 0; k < kFaultKindCount; ++k)
            EXPECT_FALSE(network.probe(port)->faults()[FaultKind(k)].enabled);
    }
}

} // namespace
