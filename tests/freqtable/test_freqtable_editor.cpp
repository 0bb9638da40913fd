#include "app/Switches.h"
#include "freqtable/FreqTableEditor.h"

#include <gtest/gtest.h>

TEST(FreqTableEditor, EnteringSortsClampsAndRefusesDuplicates) {
    const Switches plain;
    FreqTable table;
    FreqTableEditor ed(table, plain);
    EXPECT_EQ(ed.gridRows(), 1);

    // 5 in an empty table: one row, every RBW offered.
    auto r = ed.enterFrequency(0, QStringLiteral("5"));
    EXPECT_EQ(r.entry, FreqTableEditor::Entry::Changed);
    EXPECT_EQ(table.usedFrequencies(), QList<double>({5.0}));
    EXPECT_EQ(ed.CompilaCBXRBW(0).size(), 6);
    EXPECT_EQ(ed.gridRows(), 2);
    ed.removeRow(0);

    // 1, 0.5, 2: sorted after each entry, the cursor follows the moved row.
    ed.enterFrequency(0, QStringLiteral("1"));
    r = ed.enterFrequency(1, QStringLiteral("0.5"));
    EXPECT_EQ(r.row, 0);
    EXPECT_EQ(table.usedFrequencies(), QList<double>({0.5, 1.0}));
    r = ed.enterFrequency(2, QStringLiteral("2"));
    EXPECT_EQ(r.row, 2);
    EXPECT_EQ(table.usedFrequencies(), QList<double>({0.5, 1.0, 2.0}));

    // A second 1, as a new row or over another row: refused, nothing changes.
    const FreqTable before = table;
    r = ed.enterFrequency(3, QStringLiteral("1"));
    EXPECT_EQ(r.entry, FreqTableEditor::Entry::Duplicate);
    EXPECT_EQ(r.message, QStringLiteral("Frequency already present"));
    EXPECT_EQ(ed.enterFrequency(2, QStringLiteral("1,0")).entry, FreqTableEditor::Entry::Duplicate);
    EXPECT_EQ(table, before);
    // Retyping a row's own frequency is no change and no duplicate.
    EXPECT_EQ(ed.enterFrequency(1, QStringLiteral(" 1")).entry, FreqTableEditor::Entry::Unchanged);

    // Typed-number rule: clamped, absolute, decimal comma.
    FreqTable t2;
    FreqTableEditor e2(t2, plain);
    int row = 0;
    for (const char* typed : {"45", "0.001", "-5", "2,5"})
        e2.enterFrequency(row++, QString::fromLatin1(typed));
    EXPECT_EQ(t2.usedFrequencies(), QList<double>({0.009, 2.5, 5.0, 30.0}));
    EXPECT_EQ(e2.cellText(0, 1), QStringLiteral(" 0.009"));
    // An entry far below the rows in use goes to the new-entry row, never leaving a gap.
    EXPECT_EQ(e2.enterFrequency(60, QStringLiteral("7")).row, 3);
    EXPECT_EQ(t2.usedFrequencies(), QList<double>({0.009, 2.5, 5.0, 7.0, 30.0}));
    // A blank frequency empties its row and the rows close up.
    EXPECT_EQ(e2.enterFrequency(1, QString()).entry, FreqTableEditor::Entry::Cleared);
    EXPECT_EQ(t2.usedFrequencies(), QList<double>({0.009, 5.0, 7.0, 30.0}));
}

TEST(FreqTableEditor, RbwListStartsAtTheCouplingMinimumAndStoresTheLabelsIndex) {
    const Switches plain;
    const Switches noLimit(QStringLiteral("/NOLIMITRBW"));
    FreqTable table;
    table.rows[0] = {0.03, 5, 0};
    FreqTableEditor ed(table, plain);
    EXPECT_EQ(ed.CompilaCBXRBW(0), QStringList({"10 kHz", "3 kHz", "1 kHz"}));
    // "3 kHz" is the second label offered but RBW index 4.
    EXPECT_TRUE(ed.chooseRbw(0, QStringLiteral("3 kHz")));
    EXPECT_EQ(table.rows[0].RbwIndex, 4);
    EXPECT_FALSE(ed.chooseRbw(0, QStringLiteral("2 kHz")));
    EXPECT_FALSE(ed.chooseRbw(1, QStringLiteral("3 kHz"))); // not in use
    // A label too wide for the frequency is raised to the minimum.
    EXPECT_TRUE(ed.chooseRbw(0, QStringLiteral("300 kHz")));
    EXPECT_EQ(table.rows[0].RbwIndex, 3);

    FreqTableEditor free(table, noLimit);
    EXPECT_EQ(free.CompilaCBXRBW(0).size(), 6);
    EXPECT_TRUE(free.chooseRbw(0, QStringLiteral("300 kHz")));
    EXPECT_EQ(table.rows[0].RbwIndex, 0);

    // The grid's coupling: 0.01 MHz at 300 kHz shows "  3 kHz", marked, and the table holds 4.
    FreqTable t2;
    t2.rows[0] = {0.01, 0, 0};
    t2.rows[1] = {1.0, 0, 0};
    FreqTableEditor shown(t2, plain);
    shown.applyCoupling();
    EXPECT_EQ(shown.cellText(0, 2), QStringLiteral("  3 kHz"));
    EXPECT_TRUE(shown.coupled(0));
    EXPECT_FALSE(shown.coupled(1));
    EXPECT_EQ(t2.rows[0].RbwIndex, 4);
    EXPECT_EQ(shown.cellText(0, 0), QStringLiteral("1"));
    EXPECT_EQ(shown.cellText(2, 1), QString());
    // The change the coupling made counts as an edit.
    EXPECT_TRUE(shown.ControllaVarFreqLiv());
}

TEST(FreqTableEditor, RemoveRowSnapshotAndNextCell) {
    const Switches plain;
    FreqTable table;
    table.rows[0] = {1.0, 0, 0};
    table.rows[1] = {2.0, 1, 0};
    table.rows[2] = {3.0, 2, 0};
    table.rows[99] = {0.0, 3, 7}; // junk in the last row is cleared by a removal
    FreqTableEditor ed(table, plain);
    EXPECT_FALSE(ed.ControllaVarFreqLiv());

    int row = 0, col = 0;
    ed.nextCell(0, 1, &row, &col);
    EXPECT_EQ(std::make_pair(row, col), std::make_pair(0, 2));
    ed.nextCell(0, 2, &row, &col);
    EXPECT_EQ(std::make_pair(row, col), std::make_pair(1, 1));
    ed.nextCell(2, 2, &row, &col); // after the last row: the new-entry row
    EXPECT_EQ(std::make_pair(row, col), std::make_pair(3, 1));

    EXPECT_FALSE(ed.canRemove(-1));
    EXPECT_FALSE(ed.canRemove(3));
    EXPECT_FALSE(ed.removeRow(99));
    EXPECT_TRUE(ed.removeRow(0));
    EXPECT_EQ(table.usedFrequencies(), QList<double>({2.0, 3.0}));
    EXPECT_EQ(table.rows[1].RbwIndex, 2);
    EXPECT_EQ(table.rows[99], FreqTableRow{});
    EXPECT_TRUE(ed.ControllaVarFreqLiv());
    ed.takeSnapshot();
    EXPECT_FALSE(ed.ControllaVarFreqLiv());
    // Reserved bytes and empty rows' RBW are no edit; another RBW in use is.
    table.rows[50].RbwIndex = 2;
    table.rows[0].Reserved = 9;
    EXPECT_FALSE(ed.ControllaVarFreqLiv());
    table.rows[0].RbwIndex = 5;
    EXPECT_TRUE(ed.ControllaVarFreqLiv());

    // A full table has no new-entry row; the cursor stays on the last row.
    FreqTable full;
    for (int i = 0; i < 100; ++i)
        full.rows[size_t(i)].Freq = 1.0 + i;
    FreqTableEditor fe(full, plain);
    EXPECT_EQ(fe.gridRows(), 100);
    EXPECT_EQ(fe.TrovaIDNewRow(), -1);
    EXPECT_EQ(fe.enterFrequency(100, QStringLiteral("0.5")).entry,
              FreqTableEditor::Entry::Unchanged);
    fe.nextCell(99, 2, &row, &col);
    EXPECT_EQ(row, 99);
}
