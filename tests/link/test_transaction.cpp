#include "LinkRig.h"

#include "app/ValueLists.h"

#include <gtest/gtest.h>

namespace {
const QByteArray kCmd("#00(b3*");
const QByteArray kEcho("#00(b3");
const QString kFail("Set RBW: 10 kHz failed");
const QString kOk("Set RBW: 10 kHz");

// One RBW setting through the link: the reply, or nothing when it failed.
QByteArray setRbw(LinkRig& rig, bool logData = false) {
    return rig.link.ExecuteTransaction(3.0, kEcho, kCmd, kFail, kOk, false, logData);
}
} // namespace

TEST(Transaction, ReplyInPiecesIsMatchedAcrossTheBoundaries) {
    LinkRig rig;
    rig.channel.queueReply({{0.1, "#0"}, {0.5, "0(b"}, {1.2, "3tail"}});
    // The whole reply of the try comes back, bytes after the pattern included.
    EXPECT_EQ(setRbw(rig), QByteArray("#00(b3tail"));
    EXPECT_EQ(rig.channel.writes, std::vector<QByteArray>{kCmd});
    EXPECT_EQ(rig.channel.writeTimeouts, std::vector<int>{1000 + 10 * int(kCmd.size())});
    // The reply is taken the moment its last piece arrives, after one wake-up per piece.
    EXPECT_EQ(rig.clock.micros() - rig.start, 1200000);
    EXPECT_EQ(rig.pump.pumps(), 3);
    // Without "/SEGNATUTTO" a success is silent; the station is painted as working.
    EXPECT_TRUE(rig.logLines().isEmpty());
    ASSERT_FALSE(rig.view.marks.empty());
    EXPECT_EQ(rig.view.marks.back(), (RecordingView::Mark{2, false, LinkOkColour}));
}

TEST(Transaction, StrayBytesBeforeTheEchoShowInTheLoggedData) {
    LinkRig data;
    data.link.setCurrentStation(2, "123AB01123");
    data.channel.queueReply(at(0.2, "\x01zz#00(b3"));
    EXPECT_FALSE(setRbw(data, true).isEmpty());
    EXPECT_EQ(data.logLines(), QStringList{okLine(kOk + " \x01zz", "123AB01123")});

    // "/SEGNATUTTO" with a setting: the whole reply goes in brackets with "/LOGDLC".
    LinkRig all("/SEGNATUTTO/LOGDLC");
    all.channel.queueReply(at(0.2, "zz#00(b3"));
    EXPECT_FALSE(setRbw(all).isEmpty());
    EXPECT_EQ(all.logLines(), QStringList{okLine(kOk + " [zz#00(b3] ")});

    // "/SEGNATUTTO" with a reading: the data before the pattern.
    LinkRig reading("/SEGNATUTTO");
    reading.channel.queueReply(at(0.2, "12.5*"));
    EXPECT_FALSE(reading.link
                     .ExecuteTransaction(3.0, "*", "#00(v*", "Reading field Ex failed",
                                         "Reading field Ex", true)
                     .isEmpty());
    EXPECT_EQ(reading.logLines(), QStringList{okLine("Reading field Ex 12.5")});
}

TEST(Transaction, SilenceForThreeTriesFailsOnceAndMarksTheStation) {
    LinkRig rig("/LOGDLC");
    rig.link.setCurrentStation(2, "123AB01123");
    // Only the last try's bytes appear in the failure line.
    rig.channel.queueReply(at(0.5, "first"));
    rig.channel.queueReply({});
    rig.channel.queueReply(at(0.5, "#00(b"));
    EXPECT_TRUE(setRbw(rig).isEmpty());
    EXPECT_EQ(rig.channel.writes.size(), 3u);
    EXPECT_NEAR(rig.elapsed(), 9.0, 0.1);
    EXPECT_EQ(rig.logLines(), QStringList{failLine(kFail + " [#00(b] ", "123AB01123")});
    EXPECT_TRUE(rig.link.linkFailed(2));
    EXPECT_TRUE(rig.link.currentLinkFailed());
    EXPECT_EQ(rig.view.marks.back().colour, LinkFailColour);
    // A later success repaints the station as working.
    rig.channel.queueReply(at(0.1, kEcho));
    EXPECT_FALSE(setRbw(rig).isEmpty());
    EXPECT_FALSE(rig.link.linkFailed(2));
}

TEST(Transaction, StopRequestEndsAtOnceWithoutLineOrMark) {
    LinkRig rig("/SEGNATUTTO");
    rig.link.MarkStationLink(true);
    rig.view.marks.clear();
    rig.channel.queueReply(at(2.0, kEcho));
    rig.pump.after(0.4, [&] { rig.ctx.flags.StopRequest = true; });
    EXPECT_TRUE(setRbw(rig).isEmpty());
    EXPECT_LT(rig.elapsed(), 0.5);
    EXPECT_EQ(rig.channel.writes.size(), 1u);
    EXPECT_TRUE(rig.logLines().isEmpty());
    EXPECT_TRUE(rig.view.marks.empty());
    EXPECT_TRUE(rig.link.linkFailed(2));
}

TEST(Transaction, WriteErrorReopensThePortAndRetries) {
    LinkRig rig("/SEGNATUTTO");
    rig.link.setCurrentStation(2, "123AB01123");
    rig.channel.failWrites(1);
    rig.channel.queueReply(at(0.1, kEcho));
    EXPECT_EQ(setRbw(rig), kEcho);
    EXPECT_EQ(rig.channel.closes, 1);
    EXPECT_EQ(rig.channel.opens, 2);
    EXPECT_EQ(rig.channel.openAttempts.back(), 3);
    // Reopen: one second to settle plus half a second.
    EXPECT_GT(rig.elapsed(), 1.5);
    EXPECT_FALSE(rig.link.linkFailed(2));
    EXPECT_EQ(rig.logLines(),
              (QStringList{okLine("Port 3 close", "123AB01123"),
                           okLine("Port 3 open", "123AB01123"), okLine(kOk, "123AB01123")}));
}

TEST(Transaction, PortThatCannotBeReopenedFailsTheStation) {
    LinkRig rig;
    rig.channel.failWrites(1);
    rig.channel.refuseOpens(100);
    EXPECT_TRUE(setRbw(rig).isEmpty());
    // Each refused reopen is logged, then the setting's own failure.
    const QString gone = failLine("Port 3 not available");
    EXPECT_EQ(rig.failureLines(), (QStringList{gone, gone, gone, failLine(kFail)}));
    EXPECT_TRUE(rig.link.linkFailed(2));
}

TEST(Transaction, ReadErrorReopensThePortAndReturnsNothing) {
    LinkRig rig;
    rig.channel.inject(0.0, "junk");
    rig.channel.failReads(1);
    EXPECT_TRUE(rig.link.ReadPortBytes(rig.link.PortBytesWaiting()).isEmpty());
    EXPECT_EQ(rig.channel.closes, 1);
    EXPECT_EQ(rig.channel.opens, 2);
    EXPECT_TRUE(rig.channel.isOpen());
}

TEST(Transaction, WaitsAcrossMidnightKeepTheirLength) {
    // A silent station started a second before midnight still fails after three time-outs,
    // instead of waiting until the clock comes round again.
    LinkRig rig(QString(), QDate(2026, 1, 15), 86399.0);
    EXPECT_TRUE(setRbw(rig).isEmpty());
    EXPECT_EQ(rig.clock.today(), QDate(2026, 1, 16));
    EXPECT_NEAR(rig.elapsed(), 9.0, 0.1);

    // A reply that arrives after midnight is still taken.
    LinkRig late(QString(), QDate(2026, 1, 15), 86399.5);
    late.channel.queueReply(at(1.0, kEcho));
    EXPECT_EQ(setRbw(late), kEcho);
    EXPECT_NEAR(late.elapsed(), 1.0, 0.05);
}

TEST(ReplyEnd, NoticeAnywhereIsDroppedAndTerminatorFound) {
    LinkRig rig;
    rig.channel.inject(0.0, "stale");
    ASSERT_EQ(rig.link.WaitForReplyEnd(0.01, "e"), 0);
    rig.link.ClearReceiveBuffer();
    EXPECT_TRUE(rig.link.receiveBuffer().isEmpty());
    // The notice is split over two pieces; its "*" must not end the reply.
    rig.channel.inject(0.01, "#00V#00@");
    rig.channel.inject(0.02, "%*Rel");
    rig.channel.inject(0.03, " 1.07*");
    EXPECT_EQ(rig.link.WaitForReplyEnd(0.2, "*"), 0);
    EXPECT_EQ(rig.link.receiveBuffer(), QByteArray("#00VRel 1.07*"));

    rig.link.ClearReceiveBuffer();
    rig.channel.inject(0.01, "#00@%*");
    EXPECT_EQ(rig.link.WaitForReplyEnd(0.2, "*"), -1);
    EXPECT_NEAR(rig.elapsed(), 0.23, 0.02);
}

TEST(PortChannel, OpenAndCloseLogAndPaint) {
    LinkRig quiet;
    quiet.link.CloseStationPort();
    quiet.link.OpenStationPort(4);
    EXPECT_TRUE(quiet.logLines().isEmpty()); // only failures without "/SEGNATUTTO"

    LinkRig rig("/SEGNATUTTO");
    rig.channel.close();
    rig.link.OpenStationPort(12);
    EXPECT_TRUE(rig.channel.isOpen());
    EXPECT_EQ(rig.link.currentPort(), 12);
    EXPECT_NEAR(rig.elapsed(), 1.0, 0.01); // the probe's settle time
    rig.link.CloseStationPort();
    EXPECT_FALSE(rig.channel.isOpen());

    rig.channel.refuseOpens(1);
    rig.link.OpenStationPort(7);
    EXPECT_TRUE(rig.link.linkFailed(2));
    EXPECT_EQ(rig.view.marks.back().colour, LinkFailColour);
    // Closing always repaints the station as working.
    rig.link.CloseStationPort();
    EXPECT_FALSE(rig.link.linkFailed(2));
    // Port 0 is never a device; with no port known the close line names none.
    rig.link.OpenStationPort(0);
    rig.link.setCurrentPort(0);
    rig.link.CloseStationPort();

    EXPECT_EQ(rig.logLines(),
              (QStringList{okLine("Port 12 open"), okLine("Port 12 close"),
                           failLine("Port 7 not available"), okLine("Port 7 close"),
                           failLine("Port 0 not available"), okLine("Port close")}));
    EXPECT_EQ(rig.channel.openAttempts, (std::vector<int>{3, 12, 7}));
}

TEST(PortChannel, DrainInputStopsWhenQuietAndGivesUpOnAStream) {
    LinkRig rig;
    rig.link.DrainInput();
    EXPECT_EQ(rig.channel.statusQueries, 1);

    rig.channel.inject(0.0, "leftover");
    rig.link.DrainInput();
    EXPECT_EQ(rig.channel.reads, 1);
    EXPECT_EQ(rig.link.PortBytesWaiting(), 0);

    LinkRig stream;
    stream.channel.setStreaming(true);
    stream.link.DrainInput();
    EXPECT_EQ(stream.channel.reads, 500);
    EXPECT_NEAR(stream.elapsed(), 25.0, 1.0);
}

TEST(PortChannel, WritePortTextSendsTheBytesAndLogsTheTraffic) {
    LinkRig rig("/LOGCOMRISP");
    EXPECT_FALSE(rig.link.WritePortText(QByteArray()));
    EXPECT_TRUE(rig.channel.writes.empty());
    const QByteArray cmd("#00~C\x04\x80*");
    rig.channel.queueReply(at(0.1, "C\r\n"));
    EXPECT_FALSE(
        rig.link.ExecuteTransaction(3.0, "C\r\n", cmd, "Set Hx failed", "Set Hx", false).isEmpty());
    EXPECT_EQ(rig.channel.writes, std::vector<QByteArray>{cmd});
    EXPECT_EQ(readAll(rig.dir.file("LOGCR.TXT")), cmd + "\r\n\t\tC \r\n");
}

TEST(PortChannel, LogLabelComesWithTheCurrentStation) {
    LinkRig rig;
    EXPECT_EQ(rig.link.StationLogLabel(), QString());
    rig.link.setCurrentStation(2, "123AB01123");
    EXPECT_EQ(rig.link.StationLogLabel(), QStringLiteral("\t(123AB01123)"));

    // The label does not depend on a window.
    rig.link.setView(nullptr);
    rig.link.setCurrentStation(2);
    EXPECT_EQ(rig.link.StationLogLabel(), QString());
    rig.link.setCurrentStation(2, "999ZZ19999");
    EXPECT_EQ(rig.link.StationLogLabel(), QStringLiteral("\t(999ZZ19999)"));
    // Without a view, marking still keeps the flag, and a slot out of range is ignored.
    rig.link.MarkStationLink(true);
    EXPECT_TRUE(rig.link.linkFailed(2));
    rig.link.setCurrentStation(16, "999ZZ19999");
    rig.link.MarkStationLink(true);
    EXPECT_EQ(rig.link.StationLogLabel(), QString());
    EXPECT_FALSE(rig.link.currentLinkFailed());
}

TEST(PortChannel, LinkTimeIsStampedOnlyDuringACampaign) {
    LinkRig rig;
    rig.link.setCurrentGridRow(3);
    rig.link.StampLinkTime();
    EXPECT_TRUE(rig.view.stamps.isEmpty());
    rig.link.setLinkTimeEnabled(true);
    rig.clock.set(QDate(2026, 2, 3), 3600.0 * 9 + 65);
    rig.link.StampLinkTime();
    EXPECT_EQ(rig.view.stamps, QStringList{"2/3 09:01:05 03/02/2026"});
}
