#pragma once

#include "measure/GridColumn.h"

#include <QList>
#include <QStringList>

// The station grid's rules that do not depend on painting.
namespace GridRules {

// A column's title and its default width in twips.
QString columnTitle(Column c);
int columnWidthTwips(Column c);
// Pixels on screen for a width in twips (15 twips a pixel).
int twipsToPixels(int twips);

// The columns after a rebuild, and with the run columns in place.
QList<Column> baseLayout();
QList<Column> layoutWith(const QList<Column>& runColumns);

// Rows of the grid, title row included: one per station in use, one empty row, at most one per
// station.
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
