// The simulator seen through the program's own probe link, on the virtual clock. How the link
// meets each fault is proven on its scripted channel, what each fault sends on the probe
// model, and a silent, refused or flat station in the measuring cycle's tests; here, what
// only the pair shows.

#include "sim/SimChannel.h"

#include "link/LinkRig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A link on port 1 of a simulated network, slot 0, port already open.
struct SimLink : BasicLinkRig<SimChannel> {
    explicit SimLink(const Scenario& scenario)
        : BasicLinkRig(QString(), QDate(2026, 1, 15), 36000.0, scenario) {
        channel.close();
        link.setCurrentStation(0);
        link.OpenStationPort(1);
    }
    ProbeModel& probe() { return *channel.probe(link.currentPort()); }
    int timesSent(const QByteArray& command) {
        return int(std::count(probe().commands().begin(), probe().commands().end(), command));
    }
};

TEST(LinkOnSimulator, CleanStationAnswersEveryCommandAsTheLinkExpects) {
    Scenario steady = defaultScenario();
    for (Emitter& em : steady.stations[0].emitters)
        em.driftDb = 0;
    SimLink rig(steady);
    ASSERT_FALSE(rig.link.currentLinkFailed());
    EXPECT_EQ(rig.commands.ReadSerialNumber(), QStringLiteral("241AB01001"));
    EXPECT_EQ(rig.commands.ReadFirmware(), QStringLiteral("HVP 30 Rel 1.07*"));

    rig.commands.ReadBattery(0);
    ASSERT_EQ(rig.view.batteries.size(), 1u);
    EXPECT_EQ(rig.view.batteries[0].second.caption, QStringLiteral("3.91 V ")); // raw 222

    // A reading at the 13.56 MHz carrier: Ex 8 V/m through 10 kHz.
    rig.commands.SetRbw(3);
    rig.commands.SetFrequency(13.56);
    rig.commands.SelectComponent(ProbeCommands::ComponentSelectCommands()[0], "Ex");
    rig.commands.SetPreamplifier(0);
    const float ex = rig.commands.ReadField("Ex");
    const double want = rig.probe().expectedLevel(1, 0, 13.56e6, 3, rig.channel.network().now());
    EXPECT_NEAR(ex, want, 0.001);
    EXPECT_NEAR(ex, 8.0, 0.01);
    EXPECT_EQ(rig.probe().settings().tunedHz, 13560000);
    EXPECT_EQ(rig.probe().settings().rbwIndex, 3);
    EXPECT_EQ(rig.probe().unknownCommands(), 0);
    EXPECT_EQ(eventLogLines(rig.ctx).filter("*** "), QStringList());
    EXPECT_FALSE(rig.link.currentLinkFailed());
}

TEST(LinkOnSimulator, LateReplyIsRetriedAndThenMatched) {
    Scenario s = defaultScenario();
    Fault& late = s.stations[0].faults[FaultKind::Late] = Fault::defaults(FaultKind::Late);
    late.delay = 3.5; // past the 3 s time-out of a try
    late.count = 1;
    SimLink rig(s);
    rig.commands.SetRbw(2);
    EXPECT_EQ(rig.timesSent("#00(b2*"), 2);
    EXPECT_EQ(eventLogLines(rig.ctx).filter("*** "), QStringList());
    EXPECT_FALSE(rig.link.currentLinkFailed());
    EXPECT_EQ(rig.probe().settings().rbwIndex, 2);
}

} // namespace
