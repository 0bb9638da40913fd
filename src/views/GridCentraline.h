#pragma once

#include "panel/PanelModel.h"
#include "views/GridRules.h"

#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <functional>
#include <vector>

class PictChk;
class BAT_OCX;

// The station grid (`GridCentraline`): one row per station in use plus the empty row where a
// new station is entered, in-place editors for the port (`CBXCella`) and the comment
// (`TBCella`), a check picture per row (`PictChk`) and a battery gauge per row (`BAT_OCX1`).
//
// Rows and columns are counted as the operator sees them: row 0 is the title row (the
// header), so grid row r is table row r - 1 and shows slot r - 1; column 0 is the row number.
class GridCentraline : public QTableWidget {
    Q_OBJECT
public:
    explicit GridCentraline(PanelModel& panel, QWidget* parent = nullptr);
    ~GridCentraline() override;

    // The grid is read-only while this returns true (a measurement is running).
    void setRunningQuery(std::function<bool()> running) { running_ = std::move(running); }
    bool measurementRunning() const { return running_ && running_(); }

    // Rebuilds everything from the panel, makes the panel's backup copy, runs the checks.
    void RebuildGrid();
    void BeginCellEdit(int row, int col);
    // Writes the open editor back to the cell and the panel and stores the panel.
    void CommitCellEdit();
    // Closes an open editor without writing it (Escape, or a run taking the grid over).
    void cancelCellEdit();
    void MoveToNextCell(bool backward);
    void MarkDuplicatePorts();
    void RemoveStation(int slot);
    // Writes the panel file and tells the window.
    void storePanel();

    // Mouse rules, also used by the event handlers.
    void pressCell(int row, int col, Qt::MouseButton button);
    void pressPictChk(int index, Qt::MouseButton button);
    // Enter on the grid itself.
    void enterOnGrid();

    // Grid rows including the title row.
    int gridRows() const { return rowCount() + 1; }
    int stationRows() const { return stations_; }
    int lastColumn() const { return columnCount() - 1; }
    QString cellText(int row, int col) const;
    void setCellText(int row, int col, const QString& text);
    QColor cellForeground(int row, int col) const;
    void setCellForeground(int row, int col, const QColor& colour);
    bool cellBold(int row, int col) const;
    GridRules::Cell currentGridCell() const;
    void setCurrentGridCell(int row, int col);

    // Where a column is laid out, -1 when it is not.
    int columnOf(Column c) const { return int(columns_.indexOf(c)); }
    // The column laid out at a position; Number outside the grid.
    Column columnAt(int col) const { return columns_.value(col, Column::Number); }
    QList<Column> columns() const { return columns_; }
    // Lays out the run columns between "Comment" and "Enabled", keeping rows.
    void insertRunColumns(const QList<Column>& runColumns);
    void removeRunColumns();

    // The station's row, check picture and gauge in a colour (link state), or neutral.
    void paintStationRow(int slot, const QColor& colour);
    // Shows or hides a station's battery gauge (it is placed in the "Battery" column).
    void setGaugeShown(int slot, bool on);
    QColor neutralColour() const { return neutral_; }
    QColor rowColour(int slot) const;

    PictChk* pictChk(int index) const;
    BAT_OCX* battery(int index) const;
    QComboBox* CBXCella() const { return cbx_; }
    QLineEdit* TBCella() const { return tb_; }

    int EditRow = 0;
    int EditCol = 0;
    int MouseRow = 0;
    int MouseCol = 0;

signals:
    // Any change that was stored to the panel file.
    void panelStored();
    // Right button on a row: open the remove-row window for MouseRow near MouseCol.
    void removeRowRequested(int mouseRow);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    enum class Editor { None, Comm, Comment };

    void layoutColumns(const QList<Column>& columns);
    void fillRows();
    void ensureRowControls();
    void placeRowControls();
    void placeEditor(QWidget* editor, int row, int col);
    void toggleEnabled(int row);
    // Commits the open editor and runs what follows it (new row, port check, next cell).
    void finishEditor(bool viaEnter);
    QTableWidgetItem* itemAt(int row, int col);
    // The item of a grid cell, null outside the grid or when the cell was never written.
    const QTableWidgetItem* cellItem(int row, int col) const;
    // Removes the run columns not named in keep.
    void dropRunColumns(const QList<Column>& keep);
    QRect cellRect(int row, int col) const;
    bool stationEnabled(int slot) const;
    bool isStationRow(int row) const { return row >= 1 && row <= stations_; }

    PanelModel& panel_;
    std::function<bool()> running_;
    QList<Column> columns_;
    int stations_ = 0;
    QColor neutral_{255, 255, 255};
    std::vector<QColor> rowColours_;
    std::vector<QPointer<PictChk>> picts_;
    std::vector<QPointer<BAT_OCX>> gauges_;
    QComboBox* cbx_ = nullptr;
    QLineEdit* tb_ = nullptr;
    Editor open_ = Editor::None;
    bool finishing_ = false;
};
