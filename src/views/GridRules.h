#pragma once

#include <QList>
#include <QStringList>

// The station grid's rules that do not depend on painting.
namespace GridRules {

// Column titles 0..9 and their default widths in twips.
const QStringList& columnTitles();
int columnWidthTwips(int titleIndex);
// Pixels on screen for a width in twips (15 twips a pixel).
int twipsToPixels(int twips);

// Title indexes of the columns after a rebuild, and with the run columns in place.
QList<int> baseLayout();
QList<int> layoutWith(const QList<int>& runTitles);

// Rows of the grid, title row included: one per station in use, one empty row, at most 17.
int gridRowsFor(int stationsInUse);

struct Cell {
    int row;
    int col;
    bool operator==(const Cell&) const = default;
};
// One step forward (or backward) through the editable cells, wrapping to row 1 (or to
// the last row). Rows and columns as the grid counts them: row 0 is the title row, column
// 0 the row number.
Cell nextCell(Cell from, int lastRow, int lastCol, bool backward);

// The text committed from the port list: only the list's entries "1".."99" count.
bool isPortEntry(const QString& text);

} // namespace GridRules
