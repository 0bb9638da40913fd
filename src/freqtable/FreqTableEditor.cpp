#include "freqtable/FreqTableEditor.h"

#include "app/Switches.h"
#include "app/TypedNumber.h"
#include "app/ValueLists.h"
#include "freqtable/RbwCoupling.h"

#include <QLocale>

#include <algorithm>

FreqTableEditor::FreqTableEditor(FreqTable& table, const Switches& switches)
    : table_(table), snapshot_(table), switches_(switches) {}

bool FreqTableEditor::inUse(int row) const {
    return row >= 0 && row < FreqTable::RowCount && table_.rows[size_t(row)].inUse();
}

bool FreqTableEditor::ControllaVarFreqLiv() const {
    if (table_.usedRowCount() != snapshot_.usedRowCount()) return true;
    for (size_t i = 0; i < table_.rows.size(); ++i) {
        const FreqTableRow& a = table_.rows[i];
        const FreqTableRow& b = snapshot_.rows[i];
        if ((a.inUse() || b.inUse()) && (a.Freq != b.Freq || a.RbwIndex != b.RbwIndex)) return true;
    }
    return false;
}

int FreqTableEditor::gridRows() const {
    return std::min(usedRows() + 1, int(FreqTable::RowCount));
}

int FreqTableEditor::TrovaIDNewRow() const {
    const int used = usedRows();
    return used < FreqTable::RowCount ? used : -1;
}

void FreqTableEditor::applyCoupling() {
    for (FreqTableRow& r : table_.rows)
        if (r.inUse() && coupleRbw(r, switches_) != 0 && !coupled_.contains(r.Freq))
            coupled_.append(r.Freq);
}

bool FreqTableEditor::coupled(int row) const {
    if (!inUse(row)) return false;
    const FreqTableRow& r = table_.rows[size_t(row)];
    return coupled_.contains(r.Freq) && r.RbwIndex == minimumRbwIndex(r.Freq) &&
           !switches_.noLimitRbw();
}

QString FreqTableEditor::frequencyText(double freq) {
    return QLatin1Char(' ') + QString::number(freq, 'f', QLocale::FloatingPointShortest);
}

QString FreqTableEditor::cellText(int row, int column) const {
    if (!inUse(row)) return {};
    const FreqTableRow& r = table_.rows[size_t(row)];
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return frequencyText(r.Freq);
    case 2:
        return QString::fromLatin1(RbwTable()[size_t(std::clamp<int>(r.RbwIndex, 0, 5))].Label);
    default:
        return {};
    }
}

bool FreqTableEditor::ControllaFreqUguali(int row, double freq) const {
    for (int i = 0; i < FreqTable::RowCount; ++i)
        if (i != row && table_.rows[size_t(i)].inUse() && table_.rows[size_t(i)].Freq == freq)
            return true;
    return false;
}

FreqTableEditor::EntryResult FreqTableEditor::enterFrequency(int row, const QString& text) {
    // Rows in use are kept first: an entry below them goes to the new-entry row.
    const int target = inUse(row) ? row : TrovaIDNewRow();
    if (target < 0) return {};
    FreqTableRow& r = table_.rows[size_t(target)];
    if (text.trimmed().isEmpty()) {
        if (!r.inUse()) return {Entry::Unchanged, target, {}};
        r = FreqTableRow{};
        sortFreqTable(table_);
        return {Entry::Cleared, std::min(target, usedRows()), {}};
    }
    const double freq = typedNumber(text, FreqTable::LowestFreq, FreqTable::HighestFreq, true);
    if (ControllaFreqUguali(target, freq))
        return {Entry::Duplicate, target, QStringLiteral("Frequency already present")};
    const bool changed = float(freq) != float(r.Freq);
    r.Freq = freq;
    if (!changed) return {Entry::Unchanged, target, {}};
    sortFreqTable(table_);
    int at = target;
    for (int i = 0; i < FreqTable::RowCount; ++i)
        if (table_.rows[size_t(i)].inUse() && table_.rows[size_t(i)].Freq == freq) at = i;
    coupleRbw(table_.rows[size_t(at)], switches_);
    return {Entry::Changed, at, {}};
}

int FreqTableEditor::firstRbwIndex(int row) const {
    if (!inUse(row) || switches_.noLimitRbw()) return 0;
    return minimumRbwIndex(table_.rows[size_t(row)].Freq);
}

QStringList FreqTableEditor::CompilaCBXRBW(int row) const {
    return ValueLists::rbwNames().mid(firstRbwIndex(row));
}

int FreqTableEditor::TrovaIDRBWDaCBXRBW(const QString& label) {
    return int(ValueLists::rbwNames().indexOf(label.trimmed()));
}

QString FreqTableEditor::TrovaIDRBWDaTab(int index) {
    return ValueLists::rbwNames().at(std::clamp(index, 0, 5));
}

bool FreqTableEditor::chooseRbw(int row, const QString& label) {
    const int index = TrovaIDRBWDaCBXRBW(label);
    if (!inUse(row) || index < 0) return false;
    FreqTableRow& r = table_.rows[size_t(row)];
    r.RbwIndex = qint16(index);
    coupleRbw(r, switches_);
    return true;
}

bool FreqTableEditor::canRemove(int row) const {
    return inUse(row);
}

bool FreqTableEditor::removeRow(int row) {
    if (!inUse(row)) return false;
    auto& rows = table_.rows;
    std::move(rows.begin() + row + 1, rows.end(), rows.begin() + row);
    rows.back() = FreqTableRow{};
    clickedRow = -1; // the rows moved: a new click chooses the next row to remove
    return true;
}

void FreqTableEditor::nextCell(int row, int column, int* nextRow, int* nextColumn) const {
    if (column == 1 && inUse(row)) {
        *nextRow = row;
        *nextColumn = 2;
        return;
    }
    *nextColumn = 1;
    if (inUse(row + 1)) {
        *nextRow = row + 1;
        return;
    }
    const int fresh = TrovaIDNewRow();
    *nextRow = fresh < 0 ? FreqTable::RowCount - 1 : fresh;
}
