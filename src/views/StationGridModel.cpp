#include "views/StationGridModel.h"

#include "app/Limits.h"
#include "panel/PanelChecks.h"
#include "panel/PanelModel.h"
#include "views/GridRules.h"

#include <QFont>

namespace {
const QColor kConflictColour(128, 0, 0); // colour 4 of the classic palette
const QColor kNumberBack(241, 243, 247);
const QColor kNumberText(110, 118, 130);
} // namespace

StationGridModel::StationGridModel(PanelModel& panel, QObject* parent)
    : QAbstractTableModel(parent), panel_(panel), columns_(GridRules::baseLayout()) {}

int StationGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridRules::gridRowsFor(stations_) - 1;
}

int StationGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QString StationGridModel::panelText(int slot, Column c) const {
    const StationRecord& st = panel_.panel().Stations[size_t(slot)];
    switch (c) {
    case Column::Number:
        return QString::number(slot + 1);
    case Column::Comm:
        return QString::number(st.Comm);
    case Column::SerialNumber:
        return cells_[size_t(slot)].serialRead ? runText(slot, c) : st.serialNumberText();
    case Column::Comment:
        return st.commentText();
    default:
        return runText(slot, c);
    }
}

QVariant StationGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columns_.size()) return {};
    const int slot = index.row();
    const Column c = columns_[index.column()];
    const bool station = isStationSlot(slot);
    const bool conflict = station && c == Column::Comm && slotSharesPort(panel_.panel(), slot);
    switch (role) {
    case Qt::DisplayRole:
        return station ? panelText(slot, c) : QString();
    case Qt::TextAlignmentRole:
        if (c == Column::Number || c == Column::Comm || isRunColumn(c)) return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (c == Column::Number) return kNumberText;
        if (c == Column::Comm && station) return conflict ? kConflictColour : QColor(Qt::black);
        if (station && cells_[size_t(slot)].colour[size_t(c)].isValid())
            return cells_[size_t(slot)].colour[size_t(c)];
        return {};
    case Qt::BackgroundRole:
        if (c == Column::Number) return kNumberBack;
        if (validSlot(slot) && cells_[size_t(slot)].row.isValid()) return cells_[size_t(slot)].row;
        return {};
    case Qt::FontRole:
        if (conflict) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    case CheckedRole:
        return station && panel_.panel().Stations[size_t(slot)].isEnabled();
    case Qt::ToolTipRole:
        if (station && c == Column::Battery && cells_[size_t(slot)].gaugeShown)
            return cells_[size_t(slot)].gauge.caption.trimmed();
        return {};
    case GaugeRole:
        if (station && c == Column::Battery && cells_[size_t(slot)].gaugeShown)
            return QVariant::fromValue(cells_[size_t(slot)].gauge);
        return {};
    default:
        return {};
    }
}

QVariant StationGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columns_.size())
        return {};
    return GridRules::columnTitle(columns_[section]);
}

void StationGridModel::rebuild() {
    beginResetModel();
    columns_ = GridRules::baseLayout();
    stations_ = std::min(panel_.stationCount(), kStationCount);
    cells_.fill(RunCells{});
    endResetModel();
}

void StationGridModel::setRunColumns(const QList<Column>& runColumns) {
    const QList<Column> want = GridRules::layoutWith(runColumns);
    // Columns no longer wanted go first, so the ones kept are never laid out twice.
    for (int c = int(columns_.size()) - 1; c >= 0; --c) {
        if (isRunColumn(columns_[c]) && !want.contains(columns_[c])) {
            beginRemoveColumns({}, c, c);
            columns_.removeAt(c);
            endRemoveColumns();
        }
    }
    for (int pos = 0; pos < want.size(); ++pos) {
        if (pos < columns_.size() && columns_[pos] == want[pos]) continue;
        beginInsertColumns({}, pos, pos);
        columns_.insert(pos, want[pos]);
        endInsertColumns();
    }
}

void StationGridModel::panelChanged() {
    if (rowCount() > 0 && !columns_.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

QString StationGridModel::runText(int slot, Column c) const {
    return validSlot(slot) ? cells_[size_t(slot)].text[size_t(c)] : QString();
}

void StationGridModel::changedCell(int slot, Column c) {
    const int col = int(columns_.indexOf(c));
    if (col >= 0 && slot < rowCount()) emit dataChanged(index(slot, col), index(slot, col));
}

void StationGridModel::setRunText(int slot, Column c, const QString& text) {
    if (!validSlot(slot)) return;
    cells_[size_t(slot)].text[size_t(c)] = text;
    if (c == Column::SerialNumber) cells_[size_t(slot)].serialRead = true;
    changedCell(slot, c);
}

void StationGridModel::setTextColour(int slot, Column c, const QColor& colour) {
    if (!validSlot(slot)) return;
    cells_[size_t(slot)].colour[size_t(c)] = colour;
    changedCell(slot, c);
}

QColor StationGridModel::rowColour(int slot) const {
    return validSlot(slot) ? cells_[size_t(slot)].row : QColor();
}

void StationGridModel::setRowColour(int slot, const QColor& colour) {
    if (!validSlot(slot)) return;
    cells_[size_t(slot)].row = colour;
    if (slot < rowCount() && !columns_.isEmpty())
        emit dataChanged(index(slot, 0), index(slot, columnCount() - 1));
}

const BatteryDisplay* StationGridModel::gauge(int slot) const {
    return validSlot(slot) && cells_[size_t(slot)].gaugeShown ? &cells_[size_t(slot)].gauge
                                                              : nullptr;
}

void StationGridModel::setGauge(int slot, const BatteryDisplay& display) {
    if (!validSlot(slot)) return;
    cells_[size_t(slot)].gauge = display;
    cells_[size_t(slot)].gaugeShown = true;
    changedCell(slot, Column::Battery);
}
