// The simulator seen through the program's own probe link, on the virtual clock: each fault
// must show the way the link reports it.

#include "sim/SimChannel.h"

#include "app/AppContext.h"
#include "link/LinkView.h"
#include "link/ProbeCommands.h"
#include "link/ProbeLink.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

class MarkView : public LinkView {
public:
    void markStationLink(int, bool failed, quint32) override { marks.push_back(failed); }
    void showBatteryLevel(int, const BatteryDisplay& d) override { captions << d.caption; }
    void stampLinkTime(int, int, const QString&) override {}
    std::vector<bool> marks;
    QStringList captions;
};

// A link on port `port` of a simulated network, slot 0, port already open.
struct SimLink {
    explicit SimLink(Scenario scenario = defaultScenario(), int port = 1)
        : pump(clock), ctx(dir.path(), QString(), clock, pump), channel(clock, scenario),
          link(ctx, channel, &view), commands(link) {
        pump.setInputDue([this] { return channel.secondsToNextInput(); });
        link.setCurrentStation(0);
        link.OpenStationPort(port);
    }
    ProbeModel& probe() { return *channel.probe(link.currentPort()); }
    QStringList failures() const {
        QStringList out;
        const QString path = const_cast<AppContext&>(ctx).eventLog.currentPath();
        if (path.isEmpty()) return out;
        for (const QByteArray& line : readAll(path).split('\n'))
            if (line.mid(23).startsWith("*** ")) out << QString::fromLatin1(line.mid(27)).trimmed();
        return out;
    }
    QString log() const {
        if (const_cast<AppContext&>(ctx).eventLog.currentPath().isEmpty()) return {};
        return QString::fromLatin1(readAll(const_cast<AppContext&>(ctx).eventLog.currentPath()));
    }
    int timesSent(const QByteArray& command) const {
        int n = 0;
        for (const QByteArray& c :
             const_cast<SimChannel&>(channel).probe(link.currentPort())->commands())
            n += c == command;
        return n;
    }

    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump;
    AppContext ctx;
    SimChannel channel;
    MarkView view;
    ProbeLink link;
    ProbeCommands commands;
};

Scenario withFault(FaultKind kind, const std::function<void(Fault&)>& tune = {}, int port = 1) {
    Scenario s = defaultScenario();
    Fault f = Fault::defaults(kind);
    if (tune) tune(f);
    s.stations[size_t(port - 1)].faults[kind] = f;
    return s;
}

TEST(LinkOnSimulator, CleanStationAnswersEveryCommandAsTheLinkExpects) {
    Scenario steady = defaultScenario();
    for (Emitter& em : steady.stations[0].emitters)
        em.driftDb = 0;
    SimLink rig(steady);
    ASSERT_FALSE(rig.link.currentLinkFailed());
    const QString serial = rig.commands.ReadSerialNumber();
    EXPECT_EQ(serial, QStringLiteral("241AB01001"));
    EXPECT_TRUE(ProbeCommands::IsValidSerialNumber(serial));

    const QString firmware = rig.commands.ReadFirmware();
    EXPECT_EQ(firmware, QStringLiteral("HVP 30 Rel 1.07*"));
    EXPECT_EQ(ProbeCommands::FirmwareRelease(firmware), QStringLiteral("1.07"));

    rig.commands.ReadBattery(0);
    ASSERT_EQ(rig.view.captions.size(), 1);
    EXPECT_EQ(rig.view.captions[0], QStringLiteral("3.91 V ")); // raw 222

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
    EXPECT_TRUE(rig.failures().isEmpty()) << rig.log().toStdString();
    EXPECT_FALSE(rig.link.currentLinkFailed());
}

TEST(LinkOnSimulator, SilentStationIsLoggedAndMarkedFailed) {
    SimLink rig(withFault(FaultKind::Silent));
    EXPECT_EQ(rig.commands.ReadField("Ex"), 0.0f);
    EXPECT_EQ(rig.failures(), QStringList{"Reading field Ex failed"});
    EXPECT_TRUE(rig.link.currentLinkFailed());
    ASSERT_FALSE(rig.view.marks.empty());
    EXPECT_TRUE(rig.view.marks.back());
    EXPECT_EQ(rig.timesSent("#00(v*"), 3) << "three tries";

    rig.commands.ReadBattery(0);
    EXPECT_TRUE(rig.failures().contains("Reading battery failed"));
    EXPECT_TRUE(rig.link.commError());
}

TEST(LinkOnSimulator, LateReplyIsRetriedAndThenMatched) {
    SimLink rig(withFault(FaultKind::Late, [](Fault& f) {
        f.delay = 3.5; // past the 3 s time-out of a try
        f.count = 1;
    }));
    rig.commands.SetRbw(2);
    EXPECT_EQ(rig.timesSent("#00(b2*"), 2);
    EXPECT_TRUE(rig.failures().isEmpty());
    EXPECT_FALSE(rig.link.currentLinkFailed());
    EXPECT_EQ(rig.probe().settings().rbwIndex, 2);
}

TEST(LinkOnSimulator, SplitRepliesAndGarbageBeforeThemAreStillMatched) {
    Scenario s = withFault(FaultKind::Split, [](Fault& f) {
        f.pieces = 4;
        f.gap = 0.4;
    });
    Fault garbage = Fault::defaults(FaultKind::Garbage);
    garbage.commands = {"(b", "(t", "~C", "~A"};
    s.stations[0].faults[FaultKind::Garbage] = garbage;
    SimLink rig(s);
    rig.commands.SetRbw(1);
    rig.commands.SetFrequency(0.009);
    rig.commands.SelectComponent(ProbeCommands::ComponentSelectCommands()[7], "Hy(a)");
    rig.commands.SetPreamplifier(1);
    EXPECT_EQ(rig.commands.ReadSerialNumber(), QStringLiteral("241AB01001"));
    EXPECT_TRUE(rig.failures().isEmpty()) << rig.log().toStdString();
    EXPECT_FALSE(rig.link.currentLinkFailed());
    EXPECT_EQ(rig.timesSent("#00(t 9000*"), 1) << "matched on the first try";
    EXPECT_EQ(rig.probe().settings().componentCode, 5);
    EXPECT_EQ(rig.probe().settings().range, 128);
    EXPECT_TRUE(rig.probe().settings().preamplifier);
}

TEST(LinkOnSimulator, NoticeInTheFirmwareReplyIsDropped) {
    SimLink rig(withFault(FaultKind::Notice));
    EXPECT_EQ(rig.commands.ReadFirmware(), QStringLiteral("HVP 30 Rel 1.07*"));
    EXPECT_TRUE(rig.failures().isEmpty());
}

TEST(LinkOnSimulator, InvalidSerialAndZeroBatteryFailTheStation) {
    SimLink rig(withFault(FaultKind::BadSerial));
    const QString serial = rig.commands.ReadSerialNumber();
    EXPECT_FALSE(ProbeCommands::IsValidSerialNumber(serial));
    EXPECT_EQ(rig.timesSent("#00?S0*"), 3);
    EXPECT_TRUE(rig.link.commError());
    EXPECT_TRUE(rig.failures().contains("Reading serial number failed"));

    SimLink once(withFault(FaultKind::BadSerial, [](Fault& f) { f.count = 1; }));
    EXPECT_EQ(once.commands.ReadSerialNumber(), QStringLiteral("241AB01001"));
    EXPECT_FALSE(once.link.commError());

    SimLink flat(withFault(FaultKind::BatteryZero));
    flat.commands.ReadBattery(0);
    EXPECT_TRUE(flat.view.captions.isEmpty());
    EXPECT_TRUE(flat.failures().contains("Reading battery failed"));
    EXPECT_TRUE(flat.link.commError());
}

TEST(LinkOnSimulator, VanishedPortIsNotAvailableUntilItComesBack) {
    Scenario s = defaultScenario();
    s.stations[1].faults.vanish = VanishPlan{true, 0.0, 30.0};
    SimLink rig(s, 2);
    EXPECT_TRUE(rig.link.currentLinkFailed());
    EXPECT_EQ(rig.failures(), QStringList{"Port 2 not available"});
    rig.link.CloseStationPort();
    rig.clock.advance(31.0);
    rig.link.OpenStationPort(2);
    EXPECT_FALSE(rig.link.currentLinkFailed());
    EXPECT_EQ(rig.commands.ReadSerialNumber(), QStringLiteral("241AB01002"));
}

} // namespace
