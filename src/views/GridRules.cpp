#include "views/GridRules.h"

#include <algorithm>

namespace GridRules {

const QStringList& columnTitles() {
    static const QStringList titles = {QString(),
                                       QStringLiteral("Comm"),
                                       QStringLiteral("Serial Number"),
                                       QStringLiteral("Comment"),
                                       QStringLiteral("Last link time"),
                                       QStringLiteral("Battery"),
                                       QStringLiteral("E V/m"),
                                       QStringLiteral("H A/m"),
                                       QStringLiteral("Spectrum inhibit time"),
                                       QStringLiteral("Enabled")};
    return titles;
}

int columnWidthTwips(int titleIndex) {
    static const int widths[10] = {300, 700, 1400, 5500, 1700, 800, 900, 900, 1600, 800};
    return (titleIndex >= 0 && titleIndex < 10) ? widths[titleIndex] : 800;
}

int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

QList<int> baseLayout() {
    return {0, 1, 2, 3, 9};
}

QList<int> layoutWith(const QList<int>& runTitles) {
    QList<int> l = {0, 1, 2, 3};
    for (int t : runTitles)
        if (t >= 4 && t <= 8 && !l.contains(t)) l.append(t);
    std::sort(l.begin() + 4, l.end());
    l.append(9);
    return l;
}

int gridRowsFor(int stationsInUse) {
    return std::min(2 + std::max(0, stationsInUse), 17);
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
