#pragma once

#include "link/LinkView.h"
#include "panel/PanelModel.h"
#include "views/GridRules.h"

#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <functional>

class StationGridModel;

// The station grid (`GridCentraline`): a view of the StationGridModel with in-place editors
// for the port (`CBXCella`) and the comment (`TBCella`); its delegate paints the check
// picture (`PictChk`) of each row and the battery gauge (`BAT_OCX1`) of a run.
//
// Rows and columns are counted as the operator sees them: row 0 is the title row (the
// header), so grid row r is table row r - 1 and shows slot r - 1; column 0 is the row number.
class GridCentraline : public QTableView {
    Q_OBJECT
public:
    explicit GridCentraline(PanelModel& panel, QWidget* parent = nullptr);
    ~GridCentraline() override;

    StationGridModel& cells() const { return *model_; }

    // The grid is read-only while this returns true (a measurement is running).
    void setRunningQuery(std::function<bool()> running) { running_ = std::move(running); }
    bool measurementRunning() const { return running_ && running_(); }

    // Rebuilds everything from the panel, makes the panel's backup copy, runs the checks.
    void RebuildGrid();
    void BeginCellEdit(int row, int col);
    // Writes the open editor back to the panel and stores the panel.
    void CommitCellEdit();
    // Closes an open editor without writing it (Escape, or a run taking the grid over).
    void cancelCellEdit();
    void MoveToNextCell(bool backward);
    // Shows the duplicate ports and runs the panel checks.
    void MarkDuplicatePorts();
    void RemoveStation(int slot);
    // Writes the panel file and tells the window.
    void storePanel();

    // Mouse rules, also used by the event handlers.
    void pressCell(int row, int col, Qt::MouseButton button);
    // A press on the check picture of station `index`.
    void pressPictChk(int index, Qt::MouseButton button);
    // Enter on the grid itself.
    void enterOnGrid();

    // Table rows and columns, and grid rows including the title row.
    int rowCount() const;
    int columnCount() const;
    int gridRows() const { return rowCount() + 1; }
    int stationRows() const;
    int lastColumn() const { return columnCount() - 1; }
    QString cellText(int row, int col) const;
    // Writes a run cell (serial number or a run column).
    void setCellText(int row, int col, const QString& text);
    QColor cellForeground(int row, int col) const;
    // The cell's background; invalid when it has none of its own.
    QColor cellBackground(int row, int col) const;
    bool cellBold(int row, int col) const;
    GridRules::Cell currentGridCell() const;
    void setCurrentGridCell(int row, int col);

    // Where a column is laid out, -1 when it is not.
    int columnOf(Column c) const;
    // The column laid out at a position; Number outside the grid.
    Column columnAt(int col) const;
    QList<Column> columns() const;
    // Lays out the run columns between "Comment" and "Enabled", keeping rows.
    void insertRunColumns(const QList<Column>& runColumns);
    void removeRunColumns();

    // The station's row in a colour (link state), or neutral.
    void paintStationRow(int slot, const QColor& colour);
    QColor neutralColour() const { return neutral_; }
    QColor rowColour(int slot) const;
    // The check picture is ticked on an enabled station's row.
    bool checkShown(int slot) const;
    // A station's battery gauge in the "Battery" column; null when none is shown.
    const BatteryDisplay* battery(int slot) const;
    void showBattery(int slot, const BatteryDisplay& display);

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

    void setColumnWidths();
    void placeEditors();
    void placeEditor(QWidget* editor, int row, int col);
    void toggleEnabled(int row);
    // Commits the open editor and runs what follows it (new row, port check, next cell).
    void finishEditor(bool viaEnter);
    bool validCell(int row, int col) const;
    QVariant cellData(int row, int col, int role) const;
    bool stationEnabled(int slot) const;
    bool isStationRow(int row) const { return row >= 1 && row <= stationRows(); }

    PanelModel& panel_;
    StationGridModel* model_;
    std::function<bool()> running_;
    QColor neutral_{255, 255, 255};
    QComboBox* cbx_ = nullptr;
    QLineEdit* tb_ = nullptr;
    Editor open_ = Editor::None;
    bool finishing_ = false;
};
