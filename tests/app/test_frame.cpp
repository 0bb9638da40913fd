#include "app/AppContext.h"
#include "app/Format.h"
#include "app/Release.h"
#include "app/TestDirs.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(FormatSeconds, HoursMinutesSeconds) {
    // Fractions round to the nearest second and carry into minutes and hours.
    for (double seconds : {0.0, -5.0, 0.4, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(FormatSeconds(seconds), QString()) << seconds;
    const std::pair<double, const char*> cases[] = {
        {1, "00:00:01"},    {59, "00:00:59"},    {60, "00:01:00"},    {3599, "00:59:59"},
        {3600, "01:00:00"}, {3690, "01:01:30"},  {86399, "23:59:59"}, {90061, "25:01:01"},
        {59.6, "00:01:00"}, {3599.6, "01:00:00"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatSeconds(seconds), QLatin1String(text)) << seconds;
    EXPECT_FALSE(FormatSeconds(1e300).isEmpty()); // absurd values do not crash
}

TEST(FormatSeconds, PadLogText) {
    EXPECT_EQ(PadLogText(QStringLiteral("abc")),
              QStringLiteral("abc") + QString(77, QLatin1Char(' ')));
    EXPECT_EQ(PadLogText(QString()).size(), 80);
    const QString longer(85, QLatin1Char('x'));
    EXPECT_EQ(PadLogText(longer), longer);
}

TEST(ReleaseText, MajorTwoDigitMinorAndRevisionOnlyWhenNotZero) {
    EXPECT_EQ(releaseText(1, 23, 0), QStringLiteral("1.23 (January 2020)"));
    EXPECT_EQ(releaseText(1, 5, 0), QStringLiteral("1.05 (January 2020)"));
    EXPECT_EQ(releaseText(2, 5, 3), QStringLiteral("2.05.3 (January 2020)"));
}

TEST(AppContext, ApplicationDirectoryEndsWithASeparator) {
    for (const char* dir : {"/data/halvex", "/data/halvex/"})
        EXPECT_EQ(AppContext::normalizeAppDir(dir), QStringLiteral("/data/halvex/")) << dir;
    EXPECT_EQ(AppContext::normalizeAppDir(QStringLiteral("C:\\Halvex")).back(), QLatin1Char('/'));
    // An empty directory means the current one, never the file-system root.
    EXPECT_EQ(AppContext::normalizeAppDir(QString()), QDir::currentPath() + QLatin1Char('/'));

    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump(clock);
    AppContext ctx(dir.path(), QStringLiteral("/SEGNATUTTO"), clock, pump);
    EXPECT_EQ(ctx.path(QStringLiteral("Panels/")), dir.path() + QStringLiteral("Panels/"));
    EXPECT_TRUE(ctx.switches.segnaTutto());
}

TEST(TestDirs, DateIsKeptUntilTheNextSetTestDate) {
    TempAppDir dir;
    VirtualClock clock(QDate(2026, 2, 28), 86000);
    TestDirs t(dir.path(), clock);
    t.TestName = QStringLiteral("12345");
    EXPECT_EQ(t.MakeTestDirectories(), dir.path() + QStringLiteral("Test/12345/2026/02/28/"));
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("Test/12345/2026/02/28"))).isDir());

    clock.advance(1000); // past midnight: results still go to the earlier day
    EXPECT_EQ(t.dayDir(), dir.path() + QStringLiteral("Test/12345/2026/02/28/"));
    t.SetTestDate();
    EXPECT_EQ(t.TestYearDir + t.TestMonthDir + t.TestDayDir, QStringLiteral("2026/03/01/"));
    EXPECT_EQ(t.MakeTestDirectories(), dir.path() + QStringLiteral("Test/12345/2026/03/01/"));
}

TEST(TestDirs, NamesFromProbeRepliesNeverLeaveTheTestFolder) {
    TempAppDir dir;
    VirtualClock clock;
    TestDirs t(dir.path(), clock);
    for (const char* bad : {"", " ", ".", "..", "../x", "a/b", "a\\b", "..\\..\\x", "C:x", "a*b",
                            "a\x01", "x/../../y", "a..b"}) {
        t.TestName = QString::fromLatin1(bad);
        EXPECT_EQ(t.MakeTestDirectories(), QString()) << bad;
        EXPECT_FALSE(TestDirs::isSafeName(t.TestName)) << bad;
    }
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("Test"))));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("x"))));
    for (const char* good : {"12345", "SN-0042", "A B", "probe.1", "Caf\xe9"})
        EXPECT_TRUE(TestDirs::isSafeName(QString::fromLatin1(good))) << good;
    EXPECT_FALSE(TestDirs::isSafeName(QStringLiteral("\u03a9-42")));
}
