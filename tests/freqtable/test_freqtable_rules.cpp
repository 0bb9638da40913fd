#include "app/Switches.h"
#include "freqtable/FreqTable.h"
#include "freqtable/FreqTableText.h"
#include "freqtable/RbwCoupling.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(RbwCoupling, BandsRaiseTooWideRbwAndNoLimitRbwTurnsItOff) {
    const Switches plain;
    const std::pair<double, int> cases[] = {{0.005, 0},  {0.009, 4}, {0.0199, 4}, {0.02, 3},
                                            {0.0499, 3}, {0.05, 2},  {0.1499, 2}, {0.15, 1},
                                            {0.499, 1},  {0.5, 0},   {30.0, 0}};
    for (const auto& [f, minimum] : cases) {
        EXPECT_EQ(minimumRbwIndex(f), minimum) << f;
        FreqTableRow row{f, 0, 0};
        EXPECT_EQ(coupleRbw(row, plain), minimum) << f;
        EXPECT_EQ(row.RbwIndex, minimum) << f;
    }
    // Narrower than the minimum is left alone; "/NOLIMITRBW" leaves every RBW alone.
    const Switches noLimit(QStringLiteral("/NOLIMITRBW"));
    for (const auto& [before, switches] : {std::pair{FreqTableRow{0.01, 5, 0}, &plain},
                                           {FreqTableRow{0.5, 2, 0}, &plain},
                                           {FreqTableRow{0.01, 0, 0}, &noLimit}}) {
        FreqTableRow row = before;
        EXPECT_EQ(coupleRbw(row, *switches), 0) << before.Freq;
        EXPECT_EQ(row, before);
    }
}

TEST(FreqTableSort, AscendingWithRbwFollowingAndEmptyRowsLast) {
    FreqTable t;
    t.rows[0] = {10.0, 0, 0};
    t.rows[1] = {0.1, 2, 0};
    t.rows[3] = {1.0, 1, 0}; // after a gap
    t.rows[4] = {0.1, 3, 0}; // same frequency as row 1, later
    sortFreqTable(t);
    FreqTable sorted;
    sorted.rows[0] = {0.1, 3, 0}; // the later of equal rows first
    sorted.rows[1] = {0.1, 2, 0};
    sorted.rows[2] = {1.0, 1, 0};
    sorted.rows[3] = {10.0, 0, 0};
    EXPECT_EQ(t, sorted);
}

TEST(FreqTableText, TwelveRowsWithCommaAlignOnTheDecimalPoint) {
    QList<double> f;
    for (int i = 1; i <= 11; ++i)
        f.append(i * 0.5);
    f.append(12.25);
    const QByteArray text =
        freqTableText("list.txt", QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), f, 1);
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 17); // 16 lines, each ended by CR LF
    EXPECT_EQ(lines[0], "list.txt 04/03/2026 05:06:07\r");
    EXPECT_EQ(lines[1], "\r");
    EXPECT_EQ(lines[2], "   Frequency MHz\r");
    EXPECT_EQ(lines[3], "\r");
    EXPECT_EQ(lines[4], " 1,          0.5\r");
    EXPECT_EQ(lines[5], " 2,            1\r");
    EXPECT_EQ(lines[15], "12,        12.25\r");
    EXPECT_TRUE(lines[16].isEmpty());

    // A tab separator goes into the title as well; integer parts pad to the largest.
    const QByteArray tab =
        freqTableText("t", QDateTime(QDate(2026, 1, 1), QTime(0, 0)), {0.009, 100.5}, 0);
    const QList<QByteArray> tl = tab.split('\n');
    EXPECT_EQ(tl[2], " \tFrequency MHz\r");
    EXPECT_EQ(tl[4], "1\t        0.009\r");
    EXPECT_EQ(tl[5], "2\t        100.5\r");
}

TEST(FreqTableText, SaveReplacesTheFile) {
    TempAppDir app;
    const QString path = app.file("export.txt");
    ASSERT_TRUE(writeAll(path, QByteArray(5000, 'z')));
    ASSERT_TRUE(saveFreqTableText(path, QDateTime(QDate(2026, 1, 1), QTime(0, 0)), {1.0}, 2));
    const QByteArray bytes = readAll(path);
    EXPECT_TRUE(bytes.startsWith("export.txt 01/01/2026 00:00:00\r\n"));
    EXPECT_TRUE(bytes.endsWith("1;            1\r\n"));
    EXPECT_FALSE(bytes.contains("zzz"));
}
