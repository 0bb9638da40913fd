#pragma once

#include "freqtable/FreqTableEditor.h"

#include <QDialog>

#include <optional>

class AppContext;
class FreqTableGridModel;
class PanelModel;
class Prompts;
class QLabel;
class QModelIndex;
class QTableView;
class XPButton;
struct AppearanceValues;
struct LoadSaveParams;

// The frequency-table editor (`FrmTableLimFacFT`): edits the current table in place in the
// grid `TabFreqTable` (in-cell `TBCella` for a frequency, `CBXRBW` for an RBW), removes rows,
// loads, saves and exports tables. Unsaved edits are settled before it closes or loads.
class FrmTableLimFacFT : public QDialog {
    Q_OBJECT
public:
    FrmTableLimFacFT(AppContext& ctx, PanelModel& panel, FreqTable& table, Prompts& prompts,
                     const AppearanceValues& look, const QString& tableName,
                     QWidget* parent = nullptr);
    ~FrmTableLimFacFT() override;

    FreqTableEditor& core() { return core_; }
    // The name of the table edited when the window closed (empty for a new table).
    QString tableName() const { return core_.tableName; }
    // A file error was answered with Cancel: the window closed and the program must end.
    bool endProgramRequested() const { return endProgram_; }

    // Puts the cursor on a cell (row from 0, column 1 or 2), as a double-click in the table
    // view asks.
    void setStartCell(int row, int column);

    QTableView* TabFreqTable() const { return grid_; }
    FreqTableGridModel* gridModel() const { return model_; }
    QLabel* title() const { return title_; }
    XPButton* CMBRemoveRowTab() const { return remove_; }
    XPButton* CMBLoadFT() const { return load_; }
    XPButton* CMBSaveFTAs() const { return saveAs_; }
    XPButton* CMBSaveFTAsText() const { return saveText_; }
    XPButton* CMBExitFT() const { return exit_; }

    void CMBRemoveRowTab_Click();
    void CMBLoadFT_Click();
    // True when the table was written under a chosen name.
    bool CMBSaveFTAs_Click();
    void CMBSaveFTAsText_Click();
    void CMBExitFT_Click();
    // The RBW label the operator clicked becomes the panel's default for the editor.
    void rbwLabelClicked(int index);
    // The cell editor was taken back by Enter (or a click on an RBW label): the cursor moves
    // on to the next cell once the entry is done.
    void enterPressed() { moveNext_ = true; }
    // The numeric keypad over the frequency box (Prompts::keypad); nothing when cancelled or
    // when there is no keypad.
    std::optional<double> keypadValue(QWidget* box);

protected:
    void reject() override;

private:
    void entered(int column, int entry, int row, const QString& message);
    void cellClicked(const QModelIndex& index);
    void updateTitle();
    void setButtonsEnabled(bool on);
    // Asks what to do with unsaved edits; false when the operator kept the window as it is
    // (or the program is ending). forLoad: "Cancel" abandons the load instead of the edits.
    bool settleEdits(bool forLoad);
    QString runDialog(const LoadSaveParams& params);
    bool readWithRetry(const QString& path);
    bool writeWithRetry(const QString& path);
    void endProgram();

    AppContext& ctx_;
    PanelModel& panel_;
    Prompts& prompts_;
    FreqTableEditor core_;
    FreqTableGridModel* model_;
    QLabel* title_;
    QTableView* grid_;
    XPButton* remove_;
    XPButton* load_;
    XPButton* saveAs_;
    XPButton* saveText_;
    XPButton* exit_;
    bool moveNext_ = false;
    bool endProgram_ = false;
};
