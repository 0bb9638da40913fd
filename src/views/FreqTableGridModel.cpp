#include "views/FreqTableGridModel.h"

#include "app/ValueLists.h"
#include "freqtable/FreqTableEditor.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>

FreqTableGridModel::FreqTableGridModel(FreqTableEditor& editor, bool withNewEntryRow,
                                       QObject* parent)
    : QAbstractTableModel(parent), editor_(editor), editable_(withNewEntryRow) {
    // Nothing is shown (and the table not touched) before the first refill.
}

void FreqTableGridModel::refill() {
    editor_.applyCoupling();
    const int rows = editable_ ? editor_.gridRows() : editor_.usedRows();
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, 2));
}

int FreqTableGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int FreqTableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant FreqTableGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    const bool marked = index.column() == RbwColumn && editor_.coupled(row);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return editor_.cellText(row, index.column());
    case Qt::FontRole:
        if (marked) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    // The highlight colour as the cell's background with its own text colour, so that the
    // mark reads on any theme.
    case Qt::BackgroundRole:
        return marked ? QVariant(QGuiApplication::palette().color(QPalette::Highlight))
                      : QVariant();
    case Qt::ForegroundRole:
        return marked ? QGuiApplication::palette().color(QPalette::HighlightedText)
                      : QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignVCenter |
                   (index.column() == NumberColumn ? Qt::AlignHCenter : Qt::AlignLeft));
    default:
        return {};
    }
}

QVariant FreqTableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return ValueLists::freqTableHeaders().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags FreqTableGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // The RBW of the new-entry row has no frequency to go with yet.
    const bool inUse = index.row() < editor_.usedRows();
    if (editable_ && (index.column() == FrequencyColumn || (index.column() == RbwColumn && inUse)))
        f |= Qt::ItemIsEditable;
    return f;
}

bool FreqTableGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable_ || role != Qt::EditRole || !index.isValid()) return false;
    if (index.column() == FrequencyColumn) {
        const FreqTableEditor::EntryResult r =
            editor_.enterFrequency(index.row(), value.toString());
        refill();
        emit entered(FrequencyColumn, int(r.entry), r.row, r.message);
        return r.entry != FreqTableEditor::Entry::Duplicate;
    }
    if (index.column() == RbwColumn) {
        const bool stored = editor_.chooseRbw(index.row(), value.toString());
        refill();
        emit entered(RbwColumn, int(FreqTableEditor::Entry::Changed), index.row(), {});
        return stored;
    }
    return false;
}

int FreqTableGridModel::columnWidth(int column) {
    const QStringList twips = ValueLists::freqTableWidths();
    return column >= 0 && column < twips.size() ? twips[column].toInt() / 15 : 0;
}
