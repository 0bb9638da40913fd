#include "SimTestUtil.h"

#include <gtest/gtest.h>

namespace {

constexpr double kPerByte = 1.0 / ProbeModel::kBytesPerSecond;

// What a clean probe answers, to compare faulty replies against.
QByteArray cleanReply(const QByteArray& body) {
    TimedProbe probe(quietStation());
    return probe(body, 5.0);
}

TEST(ProbeFaults, SilentProbeAnswersNothingUntilItsCountIsUsedUp) {
    StationConfig st = quietStation();
    addFault(st, FaultKind::Silent).count = 2;
    TimedProbe probe(st);
    EXPECT_TRUE(probe("?S0").isEmpty());
    EXPECT_TRUE(probe("(b1").isEmpty());
    EXPECT_EQ(probe("(b1"), QByteArray("#00(b1*"));
    EXPECT_EQ(probe.commands().size(), 3u) << "a silent probe still hears the commands";
}

TEST(ProbeFaults, LateReplyComesAfterTheDelay) {
    StationConfig st = quietStation();
    Fault& late = addFault(st, FaultKind::Late);
    late.delay = 3.5;
    late.count = 1;
    ProbeModel probe(st);
    probe.receive(framed("?S0"), 0.0);
    EXPECT_TRUE(probe.transmit(3.4).isEmpty());
    EXPECT_EQ(probe.transmit(3.6), QByteArray("123AB01123*"));
    // Only the first reply was held back.
    probe.receive(framed("?S0"), 4.0);
    EXPECT_EQ(probe.transmit(4.1), QByteArray("123AB01123*"));
}

TEST(ProbeFaults, SplitReplyArrivesInPiecesWithGaps) {
    StationConfig st = quietStation();
    addFault(st, FaultKind::Split).gap = 0.2; // in three pieces by default
    ProbeModel probe(st);
    probe.receive(framed("(t 9000"), 0.0); // "#00(t 9000*": 11 bytes, pieces of 3, 4, 4
    const double start = st.replyDelay;
    EXPECT_EQ(probe.transmit(start + 3 * kPerByte), QByteArray("#00"));
    EXPECT_TRUE(probe.transmit(start + 0.19).isEmpty()) << "nothing during the gap";
    EXPECT_EQ(probe.transmit(start + 0.2 + 7 * kPerByte), QByteArray("(t 9"));
    EXPECT_TRUE(probe.transmit(start + 0.39).isEmpty());
    EXPECT_EQ(probe.transmit(start + 1.0), QByteArray("000*"));
}

TEST(ProbeFaults, GarbageAndNoticeWrapTheCleanReply) {
    StationConfig st = quietStation();
    Fault& garbage = addFault(st, FaultKind::Garbage);
    garbage.text = "\x01zz";
    garbage.commands = {"(b"};
    addFault(st, FaultKind::Notice);
    TimedProbe probe(st);
    EXPECT_EQ(probe("(b2"), "\x01zz" + cleanReply("(b2"));
    EXPECT_EQ(probe("?S0"), cleanReply("?S0")) << "filtered to (b";

    // By default the notice goes into the firmware reply only.
    QByteArray fw = probe("V");
    const qsizetype at = fw.indexOf("#00@%*");
    ASSERT_GT(at, 8);
    EXPECT_LT(at, fw.size() - 6);
    EXPECT_EQ(fw.remove(at, 6), cleanReply("V"));
    EXPECT_EQ(probe("t"), cleanReply("t"));
}

TEST(ProbeFaults, WrongSequenceByteAtTheChosenPointOfOnePass) {
    StationConfig st = quietStation();
    Fault& wrong = addFault(st, FaultKind::BadSequence);
    wrong.point = 300; // past 255: the byte has wrapped
    wrong.count = 1;
    TimedProbe probe(st);
    probe.setSweep();
    const QByteArray bad = probe("(g", 10.0);
    const QByteArray good = probe("(g", 10.0);
    ASSERT_EQ(bad.size(), good.size());
    for (int i = 0; i < 401; ++i) {
        const int seq = quint8(bad[11 + i * 5]);
        if (i == 300)
            EXPECT_NE(seq, (i + 1) % 256);
        else
            EXPECT_EQ(seq, (i + 1) % 256) << i;
        EXPECT_EQ(quint8(good[11 + i * 5]), (i + 1) % 256) << i;
    }
}

TEST(ProbeFaults, StalledSweepStopsAfterItsPointForAWhileOrForGood) {
    const QByteArray clean = [] {
        TimedProbe probe(quietStation());
        probe.setSweep();
        return probe("(g", 10.0);
    }();
    for (const double duration : {2.0, 0.0}) {
        StationConfig st = quietStation();
        Fault& stall = addFault(st, FaultKind::Stall);
        stall.point = 99;
        stall.duration = duration;
        stall.count = 1;
        TimedProbe probe(st);
        probe.setSweep();
        // Header and points 0..99 come at the usual pace, then nothing for the stall.
        const QByteArray head = probe("(g", 1.0);
        EXPECT_EQ(head, clean.left(11 + 100 * 5));
        const QByteArray tail = probe.transmit(probe.t += 1.0 + duration);
        EXPECT_EQ(tail, duration > 0 ? clean.mid(11 + 100 * 5) : QByteArray()) << duration;
        // Only one pass stalls.
        EXPECT_EQ(probe("(g", 10.0), clean);
    }
}

TEST(ProbeFaults, BatteryZeroAndInvalidSerial) {
    StationConfig st = quietStation();
    addFault(st, FaultKind::BatteryZero);
    addFault(st, FaultKind::BadSerial).count = 1;
    TimedProbe probe(st);
    const QByteArray bat = probe("t");
    EXPECT_GE(bat.size(), 12);
    EXPECT_EQ(bat.trimmed().left(9).right(3), QByteArray("000"));
    const QByteArray serial = probe("?S0");
    EXPECT_EQ(serial.size(), 11);
    EXPECT_TRUE(serial[4] >= '0' && serial[4] <= '9') << "position 5 must be a letter";
    EXPECT_EQ(probe("?S0"), cleanReply("?S0"));

    // A serial text of one's own choosing.
    probe.faults()[FaultKind::BadSerial] = Fault::defaults(FaultKind::BadSerial);
    probe.faults()[FaultKind::BadSerial].text = "??";
    EXPECT_EQ(probe("?S0"), QByteArray("??*"));
}

TEST(ProbeFaults, FaultsSwitchOnAndOffWhileRunning) {
    TimedProbe probe(quietStation());
    EXPECT_FALSE(probe("(v").isEmpty());
    probe.faults()[FaultKind::Silent] = Fault::defaults(FaultKind::Silent);
    EXPECT_TRUE(probe("(v").isEmpty());
    probe.faults()[FaultKind::Silent].enabled = false;
    EXPECT_FALSE(probe("(v").isEmpty());
}

TEST(ProbeFaults, ResetForgetsQueuedRepliesAndHalfCommands) {
    ProbeModel probe(quietStation());
    probe.receive(framed("?S0") + "#00(b", 0.0);
    probe.reset();
    probe.receive("1*", 0.0);
    EXPECT_TRUE(probe.transmit(5.0).isEmpty());
}

} // namespace
