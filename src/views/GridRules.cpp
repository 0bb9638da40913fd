#include "views/GridRules.h"

#include "app/Limits.h"

#include <algorithm>

namespace GridRules {

QString columnTitle(Column c) {
    static const QStringList titles = {QString(),
                                       QStringLiteral("Comm"),
                                       QStringLiteral("Serial Number"),
                                       QStringLiteral("Comment"),
                                       QStringLiteral("Last link time"),
                                       QStringLiteral("Battery"),
                                       QStringLiteral("E V/m"),
                                       QStringLiteral("H A/m"),
                                       QStringLiteral("Exposure %"),
                                       QStringLiteral("Spectrum inhibit time"),
                                       QStringLiteral("Enabled")};
    return titles.value(int(c));
}

int columnWidthTwips(Column c) {
    static const int widths[kColumnCount] = {300, 700, 1400, 5500, 1700, 800,
                                             900, 900, 1200, 1600, 800};
    return widths[int(c)];
}

int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

QList<Column> baseLayout() {
    return {Column::Number, Column::Comm, Column::SerialNumber, Column::Comment, Column::Enabled};
}

QList<Column> layoutWith(const QList<Column>& runColumns) {
    QList<Column> l = {Column::Number, Column::Comm, Column::SerialNumber, Column::Comment};
    for (Column c : runColumns)
        if (isRunColumn(c) && !l.contains(c)) l.append(c);
    std::sort(l.begin() + 4, l.end());
    l.append(Column::Enabled);
    return l;
}

int gridRowsFor(int stationsInUse) {
    return std::min(2 + std::max(0, stationsInUse), kStationCount + 1);
}

Cell nextCell(Cell c, int lastRow, int lastCol, bool backward) {
    if (lastRow < 1 || lastCol < 1) return {1, 1};
    if (!backward) {
        ++c.col;
        if (c.col > lastCol) {
            c.col = 1;
            ++c.row;
        }
        if (c.row > lastRow || c.row < 1) c.row = 1;
    } else {
        --c.col;
        if (c.col < 1) {
            c.col = lastCol;
            --c.row;
        }
        if (c.row < 1 || c.row > lastRow) c.row = lastRow;
    }
    return c;
}

bool isPortEntry(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok && v >= 1 && v <= 99 && t == QString::number(v);
}

} // namespace GridRules
