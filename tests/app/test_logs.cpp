#include "app/AppContext.h"
#include "app/EventLog.h"
#include "app/TrafficLog.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QString logPath(const TempAppDir& dir, const char* ymd) {
    return dir.file(QStringLiteral("Test/Log/%1.TXT").arg(QLatin1String(ymd)));
}

} // namespace

TEST(EventLog, LineLayoutIsByteExact) {
    TempAppDir dir;
    VirtualClock clock(QDate(2020, 1, 15), 9 * 3600 + 5 * 60 + 7.75);
    EventLog log(dir.path(), clock);
    log.WriteEventLog(QStringLiteral("hello"));
    log.write(false, QStringLiteral("Software Start"));
    log.write(true, QStringLiteral("Port 3 not available"), QStringLiteral("\t(A123)"));

    // The day's file already holds a line, so the start is preceded by the separator.
    const QByteArray expected = "2020/01/15  09:05:07:  hello\r\n" + QByteArray(130, '_') +
                                "\r\n"
                                "2020/01/15  09:05:07:      Software Start" +
                                QByteArray(66, ' ') +
                                "\r\n"
                                "2020/01/15  09:05:07:  *** Port 3 not available" +
                                QByteArray(60, ' ') + "\t(A123)\r\n";
    EXPECT_EQ(readAll(logPath(dir, "2020/01/15")), expected);
    EXPECT_EQ(log.currentPath(), logPath(dir, "2020/01/15"));

    // A message longer than 80 characters is kept whole, not cut.
    log.write(false, QString(90, QLatin1Char('m')));
    EXPECT_TRUE(
        readAll(logPath(dir, "2020/01/15")).endsWith("    " + QByteArray(90, 'm') + "\r\n"));
}

TEST(EventLog, SeparatorOnlyBeforeAStartOnADayThatAlreadyHasLines) {
    TempAppDir dir;
    VirtualClock clock(QDate(2026, 5, 4), 8 * 3600);
    const QByteArray separator = QByteArray(130, '_') + "\r\n";
    {
        EventLog log(dir.path(), clock);
        log.write(false, QStringLiteral("Software Start"));
        log.write(false, QStringLiteral("Software Close"));
        log.WriteEventLog(QStringLiteral("    Software Close"), true);
    }
    QByteArray day = readAll(logPath(dir, "2026/05/04"));
    EXPECT_FALSE(day.startsWith("_"));
    EXPECT_FALSE(day.contains(separator));

    clock.advance(60);
    {
        // A second start of the program on the same day.
        EventLog log(dir.path(), clock);
        log.write(false, QStringLiteral("Software Start"));
        log.write(false, QStringLiteral("Software Started twice")); // no exact match
    }
    day = readAll(logPath(dir, "2026/05/04"));
    EXPECT_EQ(day.count(separator), 1);
    EXPECT_TRUE(day.contains(separator + "2026/05/04  08:01:00:      Software Start "));

    // The first start of the next day opens a new file without a separator.
    clock.advance(86400);
    EventLog next(dir.path(), clock);
    next.write(false, QStringLiteral("Software Start"));
    EXPECT_TRUE(readAll(logPath(dir, "2026/05/05")).startsWith("2026/05/05  08:01:00:"));
}

TEST(EventLog, FileSwitchesAtMidnightAndAfterAClose) {
    TempAppDir dir;
    VirtualClock clock(QDate(2026, 12, 31), 86399.0);
    EventLog log(dir.path(), clock);
    log.WriteEventLog(QStringLiteral("late"));
    clock.advance(2.0); // 00:00:01 of the next day, and of the next year
    log.WriteEventLog(QStringLiteral("early"));

    EXPECT_EQ(readAll(logPath(dir, "2026/12/31")), "2026/12/31  23:59:59:  late\r\n");
    EXPECT_EQ(readAll(logPath(dir, "2027/01/01")), "2027/01/01  00:00:01:  early\r\n");
    EXPECT_EQ(log.currentPath(), logPath(dir, "2027/01/01"));

    // After the closing line the next line opens the file again and appends.
    log.WriteEventLog(QStringLiteral("closing"), true);
    log.WriteEventLog(QStringLiteral("again"));
    EXPECT_EQ(readAll(logPath(dir, "2027/01/01")),
              "2027/01/01  00:00:01:  early\r\n2027/01/01  00:00:01:  closing\r\n"
              "2027/01/01  00:00:01:  again\r\n");
}

TEST(EventLog, UnwritableTreeLosesLinesButNotTheProgram) {
    TempAppDir dir;
    // A file where the "Test" folder should be.
    writeAll(dir.file(QStringLiteral("Test")), "not a folder");
    VirtualClock clock;
    EventLog log(dir.path(), clock);
    log.write(true, QStringLiteral("nowhere to go"));
    log.WriteEventLog(QStringLiteral("Software Close"), true);
    EXPECT_EQ(readAll(dir.file(QStringLiteral("Test"))), "not a folder");
}

namespace {

struct TrafficFixture {
    explicit TrafficFixture(const char* line) : switches(QString::fromLatin1(line)) {}
    TempAppDir dir;
    Switches switches;
    static constexpr const char* kNames[3] = {"LOGCOMANDI.TXT", "LOGCR.TXT", "LOGRISP.TXT"};
    QString file(const char* name) const { return dir.file(QLatin1String(name)); }
    void seed() {
        for (const char* name : kNames)
            writeAll(file(name), "old\r\n");
    }
    // The commands, combined and replies files; "-" for one that does not exist.
    QByteArrayList files() const {
        QByteArrayList out;
        for (const char* name : kNames)
            out << (QFile::exists(file(name)) ? readAll(file(name)) : QByteArray("-"));
        return out;
    }
};

} // namespace

TEST(TrafficLog, CommandAndReplyLinesAreByteExact) {
    TrafficFixture f("/LOGCOMANDI /LOGRISPOSTE");
    TrafficLog log(f.dir.path(), f.switches);
    const QByteArray command("#00\x01\x1F~F\x7E\x00*", 10);
    log.LogCommandTraffic(command);
    log.LogReplyTraffic("12.5*\r\n");
    log.LogReplyTraffic(" \nA\rB\n "); // spaces trimmed first, then LF, then CR
    log.LogReplyTraffic("");           // an empty reply writes nothing
    EXPECT_EQ(f.files(), (QByteArrayList{command + "\r\n", "-", "\t\t12.5* \r\n\t\tA B\r\n"}));
}

TEST(TrafficLog, CombinedFileInterleavesCommandsAndReplies) {
    TrafficFixture f("/LOGCOMRISP");
    f.seed();
    TrafficLog log(f.dir.path(), f.switches);
    log.LogCommandTraffic("#00V*");
    log.LogReplyTraffic("#00V1.2*\r\n");
    log.LogCommandTraffic("#00B*");
    log.LogReplyTraffic("80*");
    // The first command of the run started the file afresh; the others are untouched.
    EXPECT_EQ(
        f.files(),
        (QByteArrayList{"old\r\n", "#00V*\r\n\t\t#00V1.2* \r\n#00B*\r\n\t\t80*\r\n", "old\r\n"}));
}

TEST(TrafficLog, FilesAreDeletedOnlyOnTheFirstUseOfTheirSide) {
    // Commands apart, replies to the combined file, which then grows across runs.
    TrafficFixture apart("/LOGCOMANDI/LOGCOMRISP");
    apart.seed();
    for (int run = 0; run < 2; ++run) {
        TrafficLog log(apart.dir.path(), apart.switches);
        log.LogCommandTraffic("C");
        log.LogReplyTraffic("R");
        log.LogCommandTraffic("D");
    }
    EXPECT_EQ(apart.files(),
              (QByteArrayList{"C\r\nD\r\n", "old\r\n\t\tR\r\n\t\tR\r\n", "old\r\n"}));

    // The reply file is started afresh even when the first reply is empty.
    TrafficFixture replies("/LOGRISPOSTE");
    replies.seed();
    TrafficLog log(replies.dir.path(), replies.switches);
    log.LogReplyTraffic("");
    EXPECT_FALSE(QFile::exists(replies.file("LOGRISP.TXT")));
    log.LogReplyTraffic("x");
    log.LogReplyTraffic("y");
    log.LogCommandTraffic("C"); // no command switch: nothing written
    EXPECT_EQ(replies.files(), (QByteArrayList{"old\r\n", "old\r\n", "\t\tx\r\n\t\ty\r\n"}));

    // Without any traffic switch no file is created or deleted.
    TrafficFixture none("/SEGNATUTTO /logcomandi");
    TrafficLog quiet(none.dir.path(), none.switches);
    quiet.LogCommandTraffic("C");
    quiet.LogReplyTraffic("R");
    EXPECT_EQ(none.files(), (QByteArrayList{"-", "-", "-"}));
    none.seed();
    quiet.LogCommandTraffic("C");
    quiet.LogReplyTraffic("R");
    EXPECT_EQ(none.files(), (QByteArrayList{"old\r\n", "old\r\n", "old\r\n"}));
}
