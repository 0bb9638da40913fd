#pragma once

#include "freqtable/FreqTableEditor.h"

#include <QTimer>
#include <QWidget>

class FreqTableGridModel;
class QTableView;

// The small always-on-top window that lists the current frequency table (`FrmTTTFreqTab`).
// It never takes the focus from the main window. A double-click asks for the editor on the
// clicked cell; the window closes first.
class FrmTTTFreqTab : public QWidget {
    Q_OBJECT
public:
    FrmTTTFreqTab(FreqTable& table, const Switches& switches, QWidget* parent = nullptr);
    ~FrmTTTFreqTab() override;

    // Load: fills the grid from the table (the coupling is applied to the table), sizes the
    // window to its rows, clears the clicked cell and starts `Timer1`. Shows the window.
    void load();
    // `DaStraGridFreqTable` and `DimensionaTabella`.
    void DaStraGridFreqTable();
    void DimensionaTabella();

    bool viewOpen() const { return open_; }
    int clickedRow() const { return clickedRow_; }
    int clickedColumn() const { return clickedColumn_; }
    int timerCount() const { return timerCount_; }
    QTimer& Timer1() { return timer1_; }
    QTableView* TabFreqTable() const { return grid_; }
    FreqTableGridModel* gridModel() const { return model_; }

    // While this answers true a double-click opens nothing (a run is in progress).
    void setBusyQuery(std::function<bool()> busy) { busy_ = std::move(busy); }

signals:
    // Row (from 0) and column (1 or 2) of the double-clicked cell.
    void editRequested(int row, int column);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void doubleClicked(int row, int column);

    FreqTableEditor core_;
    FreqTableGridModel* model_;
    QTableView* grid_;
    QTimer timer1_;
    std::function<bool()> busy_;
    bool open_ = false;
    int clickedRow_ = -1;
    int clickedColumn_ = -1;
    int timerCount_ = 0;
};
