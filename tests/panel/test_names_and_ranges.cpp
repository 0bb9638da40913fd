#include "app/Switches.h"
#include "panel/FileNames.h"
#include "panel/RangeCheck.h"

#include <gtest/gtest.h>

using namespace FileNames;

TEST(FileNameHelpers, DotsFoldersAndExtensions) {
    EXPECT_EQ(lastDot("a.b.EST"), 4);
    EXPECT_EQ(lastDot("none"), 0);
    EXPECT_EQ(nameWithoutExtension(" Site.EST "), "Site");
    EXPECT_EQ(nameWithoutExtension(".EST"), ".EST"); // a dot at position 1 is no extension
    EXPECT_EQ(fileTitle("Panels\\Site.EST"), "Site");
    EXPECT_EQ(fileTitle("C:Site.EST"), "Site");
    EXPECT_EQ(fileTitle("Panels/sub/Site.EST"), "Site");
    EXPECT_EQ(folderPart("Panels\\Site.EST"), "Panels\\");
    EXPECT_EQ(folderPart("Site.EST"), "");
    EXPECT_EQ(folderPart("x"), "");
    EXPECT_EQ(extension("Site.ESTX"), "EST");
    EXPECT_EQ(extension("Site.E"), "E");
    EXPECT_EQ(extension("Site"), "");
}

TEST(FileNameHelpers, LengthCheckAndIllegalCharacters) {
    const QString name199(199, QLatin1Char('n'));
    // The cut names and their messages are the load/save dialog's cases; here the title.
    EXPECT_EQ(lengthCheck(name199 + ".EST", false).title, "Halvex SAVE FILE");
    EXPECT_TRUE(lengthCheck(name199 + ".EST", true).path.isEmpty());
    EXPECT_EQ(lengthCheck("short.EST", true).path, "short.EST");
    EXPECT_TRUE(lengthCheck("short.EST", false).message.isEmpty());

    int caret = 1;
    EXPECT_EQ(removeIllegalCharacters(".,+[]\\/|=*^:;<>?x", &caret), "x");
    EXPECT_EQ(caret, 0);
}

TEST(FileNameSort, ByNameIgnoringCaseOrNewestFirst) {
    QStringList names{"b", "C", "a", "B2"};
    sortFileNames(names, false);
    EXPECT_EQ(names, (QStringList{"a", "b", "B2", "C"}));

    const QDateTime t0(QDate(2026, 1, 1), QTime(12, 0));
    const auto dateOf = [&](const QString& n) {
        return n == "old"   ? t0
               : n == "mid" ? t0.addSecs(60)
               : n == "new" ? t0.addSecs(120)
                            : QDateTime();
    };
    QStringList dated{"old", "unknown", "new", "mid"};
    sortFileNames(dated, true, dateOf);
    // A pair with an unreadable date keeps its order, so "unknown" stays in front of "new"
    // and the dated names on each side of it are ordered newest first.
    EXPECT_EQ(dated, (QStringList{"old", "unknown", "new", "mid"}));
    QStringList allDated{"old", "mid", "new"};
    sortFileNames(allDated, true, dateOf);
    EXPECT_EQ(allDated, (QStringList{"new", "mid", "old"}));
}

namespace {
FreqTable table(const QList<double>& freqs) {
    FreqTable t;
    int i = 0;
    for (double f : freqs)
        t.rows[size_t(i++)] = {f, 0, 0};
    return t;
}
} // namespace

TEST(UsableRange, GeneralAndHModeRangesWithTheirMessages) {
    const Switches plain, noLimit(QStringLiteral("/NOLIMIT"));
    const std::array<qint16, 3> eOnly{1, 0, 0}, hA{0, 1, 0}, hB{0, 0, 1};
    // The first row out of range (-1: none). The general range is checked over all rows
    // before an H mode range.
    struct Case {
        QList<double> freqs;
        std::array<qint16, 3> fields;
        const Switches& switches;
        int firstBad;
    };
    const Case cases[] = {{{1.0, 0.005}, eOnly, plain, 1}, {{30.0, 0.009}, eOnly, plain, -1},
                          {{30.5}, eOnly, plain, 0},       {{-1.0}, eOnly, plain, 0},
                          {{3.0}, hA, plain, -1},          {{3.5}, hA, plain, 0},
                          {{1.0, 0.2}, hB, plain, 1},      {{0.2}, hB, noLimit, -1},
                          {{0.2, 40.0}, hB, plain, 1}};
    for (const Case& c : cases) {
        const auto bad = ControllaMinUsableFreq(table(c.freqs), true, c.fields, c.switches);
        EXPECT_EQ(bad ? bad->row : -1, c.firstBad) << c.freqs.first() << " " << c.fields[1];
    }
    EXPECT_FALSE(ControllaMinUsableFreq(table({0.005}), false, eOnly, plain).has_value());

    EXPECT_EQ(RangeCheck::message(*ControllaMinUsableFreq(table({0.005}), true, eOnly, plain)),
              "      0.005 MHz is out of range.\rFrequency range is 9kHz - 30MHz");
    EXPECT_EQ(RangeCheck::message(*ControllaMinUsableFreq(table({0.2}), true, hB, plain)),
              QString(18, QLatin1Char(' ')) +
                  "0.2 MHz is out of range.\rFrequency Range H (Mode B) is 300kHz - 30MHz");
    EXPECT_EQ(RangeCheck::rangeText(ControllaMinUsableFreq(table({3.5}), true, hA, plain)->range),
              "Frequency Range H (Mode A) is 9kHz - 3MHz");
    EXPECT_EQ(ControllaMinUsableFreq(table({0.2, 40.0}), true, hB, plain)->range,
              RangeCheck::Range::General);
    EXPECT_EQ(RangeCheck::outOfRangeRows(table({0.2, 40.0}), hB, plain).size(), 3);

    EXPECT_FALSE(frequencyTableSuitable(table({}), true, eOnly, plain));
    EXPECT_TRUE(frequencyTableSuitable(table({}), false, eOnly, plain));
    EXPECT_TRUE(frequencyTableSuitable(table({1.0}), true, eOnly, plain));
}
