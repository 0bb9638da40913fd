// The full sentences behind the status caption, for what the program's own run tests do not
// reach: tables that are unnamed, empty or with many rows out of range.

#include "app/Switches.h"
#include "freqtable/FreqTableFile.h"
#include "panel/PanelChecks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {
PanelRecord enabledStationOnPort(int port, const QString& table) {
    PanelRecord p;
    p.ListModeOn = 1;
    p.ListModeFields = {1, 0, 1};
    p.Stations[0].Comm = qint16(port);
    p.Stations[0].Enabled = -1;
    p.setFreqTableName(table);
    return p;
}
} // namespace

TEST(CheckExplanations, TablesThatCannotServeARun) {
    TempAppDir dir;
    const Switches none;
    EXPECT_EQ(explainPanelChecks(enabledStationOnPort(1, {}), dir.path(), none),
              QStringList{"FREQUENCY TABLE NOT FOUND: the panel names no frequency table."});

    ASSERT_TRUE(FreqTableFile::write(dir.path() + "Table/Empty.FTR", FreqTable{}));
    EXPECT_EQ(explainPanelChecks(enabledStationOnPort(1, "Empty"), dir.path(), none),
              QStringList{"FREQUENCY TABLE NOT SUITABLE: the table \"Empty\" has no "
                          "frequency."});

    // Rows below H Mode B's range: each row named once per range it fails, and a long list
    // is cut so that a tooltip stays on the screen.
    FreqTable low;
    for (int i = 0; i < 10; ++i)
        low.rows[size_t(i)] = {0.01 + 0.01 * i, 2, 0};
    ASSERT_TRUE(FreqTableFile::write(dir.path() + "Table/Low.FTR", low));
    const QStringList why = explainPanelChecks(enabledStationOnPort(1, "Low"), dir.path(), none);
    ASSERT_EQ(why.size(), 1);
    const QStringList lines = why.first().split('\n');
    ASSERT_EQ(lines.size(), 10) << why.first().toStdString();
    EXPECT_EQ(lines[0], "FREQUENCY TABLE NOT SUITABLE: in table \"Low\", 10 rows are out of "
                        "range:");
    EXPECT_EQ(lines[1], "row 1: 0.01 MHz is out of range. Frequency Range H (Mode B) is 300kHz "
                        "- 30MHz.");
    EXPECT_EQ(lines[9], "... and 2 more.");
    // "/NOLIMIT" takes the lower bounds to 0, and the explanation follows the check.
    EXPECT_TRUE(explainPanelChecks(enabledStationOnPort(1, "Low"), dir.path(), Switches("/NOLIMIT"))
                    .isEmpty());
}

TEST(CheckExplanations, EveryFailingCheckInTheOrderOfTheCaption) {
    TempAppDir dir;
    PanelRecord p = enabledStationOnPort(3, "Gone");
    p.Stations[1] = p.Stations[0];
    const QStringList why = explainPanelChecks(p, dir.path(), Switches());
    ASSERT_EQ(why.size(), 2);
    EXPECT_TRUE(why[0].startsWith("COMM IN USE: port 3 is set for stations 1 and 2;"));
    EXPECT_TRUE(why[1].startsWith("FREQUENCY TABLE NOT FOUND: the panel's table \"Gone\" was "
                                  "looked for as " +
                                  dir.path() + "Table/Gone.FTR"));
}
