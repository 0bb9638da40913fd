#pragma once

#include "app/Limits.h"
#include "link/LinkView.h"
#include "measure/GridColumn.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <array>

class PanelModel;

// The station grid's contents: one row per station in use plus the empty row where a new
// station is entered. The panel columns show the panel; the run columns, the serial number
// read in a run, the row colours and the battery gauges are the run's cells, kept here until
// the next rebuild. Model rows are slots: row r shows slot r.
class StationGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The delegate's roles: whether the Enabled cell shows the ticked box, and the battery
    // gauge of a Battery cell (a BatteryDisplay, invalid when no gauge is shown).
    enum Role { CheckedRole = Qt::UserRole + 1, GaugeRole };

    explicit StationGridModel(PanelModel& panel, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QList<Column>& columns() const { return columns_; }
    int stationRows() const { return stations_; }
    bool isStationSlot(int slot) const { return slot >= 0 && slot < stations_; }

    // Takes the stations and columns from the panel again; the run's cells are cleared.
    void rebuild();
    // Lays out exactly the given run columns between Comment and Enabled; the cells of the
    // columns kept stay.
    void setRunColumns(const QList<Column>& runColumns);
    // The panel changed under a slot's cells (port, comment, enabled mark, duplicate ports).
    void panelChanged();

    // A run cell (SerialNumber, LastLinkTime, FieldE, FieldH, SpectrumInhibit) of a slot.
    QString runText(int slot, Column c) const;
    void setRunText(int slot, Column c, const QString& text);
    void setTextColour(int slot, Column c, const QColor& colour);
    // The row's colour (the link state); invalid for none.
    QColor rowColour(int slot) const;
    void setRowColour(int slot, const QColor& colour);
    const BatteryDisplay* gauge(int slot) const;
    void setGauge(int slot, const BatteryDisplay& display);

private:
    struct RunCells {
        bool serialRead = false; // the run has set the serial number cell
        std::array<QString, kColumnCount> text;
        std::array<QColor, kColumnCount> colour;
        QColor row;
        bool gaugeShown = false;
        BatteryDisplay gauge;
    };
    QString panelText(int slot, Column c) const;
    bool validSlot(int slot) const { return slot >= 0 && slot < int(cells_.size()); }
    void changedCell(int slot, Column c);

    PanelModel& panel_;
    QList<Column> columns_;
    int stations_ = 0;
    std::array<RunCells, kStationCount> cells_{};
};
