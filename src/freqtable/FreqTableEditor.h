#pragma once

#include "freqtable/FreqTable.h"

#include <QList>
#include <QString>
#include <QStringList>

class Switches;

// The rules of the frequency-table editor without its window: it edits a FreqTable in place,
// knows whether it differs from the copy taken when it was opened, loaded or saved, and gives
// the grid texts that the editor and the table view both show.
//
// Rows are table indexes 0..99; grid row i shows table row i. The grid shows the rows in use
// and, while fewer than 100 are, one empty row for a new entry.
class FreqTableEditor {
public:
    FreqTableEditor(FreqTable& table, const Switches& switches);

    FreqTable& table() { return table_; }
    const FreqTable& table() const { return table_; }

    // The name of the table being edited (without folder and extension), empty for a new one.
    QString tableName;
    // The row last clicked, -1 for none; "Remove row" acts on it only while it is in use.
    int clickedRow = -1;

    // --- snapshot -----------------------------------------------------------------------------
    void takeSnapshot() { snapshot_ = table_; }
    // `ControllaVarFreqLiv`: whether a row in use has another frequency or RBW, or the number
    // of rows in use differs, against the snapshot.
    bool ControllaVarFreqLiv() const;

    // --- grid -----------------------------------------------------------------------------------
    int usedRows() const { return table_.usedRowCount(); }
    int gridRows() const;
    // `TrovaIDNewRow`: the empty row for a new entry, -1 when all 100 are in use.
    int TrovaIDNewRow() const;
    // `DaStraGridFreqTable`'s coupling: raises every row in use whose RBW is wider than its
    // frequency allows (unless "/NOLIMITRBW") and marks it. A mark follows its frequency
    // through sorting and refills and goes when the row gets another RBW or frequency.
    void applyCoupling();
    bool coupled(int row) const;
    // Texts of a grid cell: column 0 the row number from 1, column 1 " " + the shortest text
    // of the frequency, column 2 the RBW label right-aligned to seven characters. Empty for a
    // row not in use.
    QString cellText(int row, int column) const;
    static QString frequencyText(double freq);

    // --- entering -------------------------------------------------------------------------------
    enum class Entry {
        Duplicate, // "Frequency already present": nothing changed
        Cleared,   // a blank text emptied a row in use (the rows after it move up)
        Unchanged, // the same frequency (in single precision) or a blank new row
        Changed,   // stored; the rows were sorted
    };
    struct EntryResult {
        Entry entry = Entry::Unchanged;
        int row = -1; // where the frequency now is (after sorting)
        QString message;
    };
    // Enter in the frequency cell of `row` with text: decimal comma accepted, absolute value,
    // clamped to 0.009..30 MHz when not blank; duplicates refused; sorted and coupled.
    EntryResult enterFrequency(int row, const QString& text);
    // `ControllaFreqUguali`: whether a row in use other than `row` holds exactly freq.
    bool ControllaFreqUguali(int row, double freq) const;

    // --- RBW
    // -------------------------------------------------------------------------------------- The
    // index the RBW list of a row starts at: the coupling minimum of its frequency, 0 with
    // "/NOLIMITRBW".
    int firstRbwIndex(int row) const;
    // `CompilaCBXRBW`: the labels from firstRbwIndex to "1 kHz".
    QStringList CompilaCBXRBW(int row) const;
    // `TrovaIDRBWDaCBXRBW`: index of a label in the full RBW list (-1 when it is none);
    // `TrovaIDRBWDaTab`: the label of an index (clamped to 0..5).
    static int TrovaIDRBWDaCBXRBW(const QString& label);
    static QString TrovaIDRBWDaTab(int index);
    // Stores the RBW of a label in a row in use (after the coupling). False for a row not in
    // use or a text that is not a label.
    bool chooseRbw(int row, const QString& label);

    // --- rows and cursor
    // --------------------------------------------------------------------------
    // `CancellaRecordFreqTab`: removes a row in use; later rows move up, row 99 is cleared.
    bool removeRow(int row);
    bool canRemove(int row) const;
    // `SelCelSuccessiva`: the cell after (row, column): the RBW of the row, then the frequency
    // of the next row; after the last row in use the new-entry row (or the last row when the
    // table is full).
    void nextCell(int row, int column, int* nextRow, int* nextColumn) const;

private:
    bool inUse(int row) const;

    FreqTable& table_;
    FreqTable snapshot_;
    const Switches& switches_;
    QList<double> coupled_; // frequencies whose RBW the coupling raised
};
