#pragma once

#include "link/LinkView.h"
#include "measure/RunView.h"
#include "panel/PanelModel.h"
#include "views/Prompts.h"
#include "views/widgets/Appearance.h"

#include <QMainWindow>
#include <QTimer>

class AppContext;
class FrmTTTFreqTab;
class Session;
struct FreqTable;
struct LoadSaveParams;
class GridCentraline;
class LB_OCX;
class PB_OCX;
class XPButton;
class XPFrame;
class QComboBox;
class QAction;
class QMenu;
class QListWidget;
class QGridLayout;
class QHBoxLayout;
class QVBoxLayout;

// The main window (`MainForm`): the station frame with its grid, the frequency-table choice,
// the run commands, the status caption, the wait frames and the menus. It is the window side
// of the probe link (LinkView) and shows what the measurement cycle reports.
class MainForm : public QMainWindow, public LinkView, public RunView {
    Q_OBJECT
public:
    MainForm(AppContext& ctx, PanelModel& panel, const AppearanceValues& look, QString setupRelease,
             QWidget* initForm = nullptr);
    ~MainForm() override;

    // The load sequence: placement and appearance, the command-line rate override, the
    // current panel and its grid, the table list, the run flags, the caption, hiding the
    // start-up form, "Software Start", the picture buttons and the Info entry.
    void load();
    // The close operation: "Software Close" last in the event log, then every window goes.
    void ChiudiSoftware();
    bool closing() const { return closing_; }

    // --- LinkView --------------------------------------------------------------------------
    void markStationLink(int slot, bool failed, quint32 colour) override;
    void showBatteryLevel(int slot, const BatteryDisplay& display) override;
    void stampLinkTime(int slot, int gridRow, const QString& text) override;

    // --- RunView: what the measurement cycle shows ----------------------------------------
    void lockForRun() override { DisabilitaControlli(); }
    void unlockAfterRun() override { AbilitaControlli(); }
    void insertRunColumns(const QList<Column>& columns) override;
    void restoreGrid() override;
    void setSerialCell(int slot, const QString& serial) override;
    void setFieldCell(int slot, Column column, const QString& text, quint32 colour) override;
    // PBAttesaRateSM: the time until the station may be swept again, in its inhibit cell.
    void setSpectrumWait(int slot, const WaitBar& bar) override;
    void highlightStation(int slot) override;
    void setStationWait(const WaitBar& bar) override;
    void setRateWait(const WaitBar& bar) override;
    void setWindowCaption(const QString& caption) override { setWindowTitle(caption); }
    void restoreWindowCaption() override { restoreCaption(); }
    void showPollingLabel(const QString& caption, quint32 firstColour, quint32 secondColour,
                          int hideAfterMs) override;
    void message(const QString& text, MessageIcon icon) override;
    void shutdownRequested() override { ChiudiSoftware(); }
    void readingShown(const ReadingUpdate& update) override;

    void DisabilitaControlli();
    void AbilitaControlli();
    // Restores "Halvex Panel: <name>".
    void restoreCaption();

    // --- commands ---------------------------------------------------------------------------
    void CMBExit_Click();
    void CMBUndo_Click();
    void CMBStop_Click();
    // The single sweep of the selected row's station: ignored during a run; the panel is
    // saved, the table view put away and the window locked while singleSpectrumRequested
    // sweeps; a close asked for meanwhile closes the program after it.
    void CMBEseguiSpettroSingCent_Click();
    // The slot of the selected grid row, or -1.
    int selectedSlot() const;
    bool singleSweepRunning() const { return singleSweep_; }
    void MNUInfo_Click();
    void MNUSortByDate_Click();
    // The scan browser; a chosen spectrum file goes to review, any other to the system viewer.
    void mnuOpenScan_Click();
    // The file last opened through the browser; empty after the browser was left by Exit.
    const QString& ReviewFile() const { return ReviewFile_; }
    // The appearance dialog; every change shows at once on the dialog and every open window.
    void MNUAspect_Click();
    // The measure-settings dialog; not during a run. The checks and Undo follow its edits.
    void MNUMeasure_Click();
    // The frequency tables in "Table/", in the order the panel's "Sort by date" asks for.
    QStringList tableNames() const;
    // Fills the table list in the panel's order and selects the panel's table.
    void refreshTableList();
    // Makes entry `index` of the list the panel's table and stores the panel.
    void chooseTable(int index);
    // Delete on the table list: asks, deletes the file, selects the entry before it.
    void deleteSelectedTable();
    void applyAppearance(const AppearanceValues& look);

    // --- panel files and the frequency table ----------------------------------------------
    // The current frequency table that the editor and the table view show; enables
    // "Frequency Table".
    void attachFreqTable(FreqTable& table);
    void MNUSavePanel_Click();
    void MNUOpenPanel_Click();
    void MNUFrequencyTable_Click();
    // The editor on the panel's table, modal; (row, column) puts the cursor on a cell, as a
    // double-click in the table view asks. Refreshes the table list and checks after it.
    void openTableEditor(int row = -1, int column = -1);
    FrmTTTFreqTab* tableView() const { return view_; }

    // Where questions and messages go: the window's own message boxes until replaced.
    void setPrompts(Prompts& prompts) { prompts_ = &prompts; }
    // The session whose field lists and firmware releases the grid shows during a run.
    void attachSession(const Session& session) { session_ = &session; }

    int RateHours = -1; // "/RATEHOURS=" override, -1 when none

    GridCentraline* grid() const { return grid_; }
    QComboBox* CBXFrequencyTable() const { return cbxTable_; }
    XPButton* CMBExecute() const { return execute_; }
    XPButton* CMBStop() const { return stop_; }
    XPButton* CMBUndo() const { return undo_; }
    XPButton* CMBEseguiSpettroSingCent() const { return single_; }
    XPButton* CMBExit() const { return exit_; }
    LB_OCX* statusCaption() const { return status_; }
    LB_OCX* LBPolling() const { return polling_; }
    XPFrame* FRMCentraline() const { return frmStations_; }
    XPFrame* FrmFrequencyTable() const { return frmTable_; }
    XPFrame* FRMAttesaCent() const { return frmWaitStation_; }
    PB_OCX* PBAttesaCent() const { return pbWaitStation_; }
    XPFrame* FRMAttesaRateLM() const { return frmWaitRate_; }
    PB_OCX* PBAttesaRateLM() const { return pbWaitRate_; }
    QListWidget* ListaCampo() const { return listaCampo_; }
    // The pointer is over grid cell (row, col) during a run: shows or hides the field list.
    void pointerOverCell(int row, int col);
    QAction* action(const QString& objectName) const;
    QMenu* menu(const QString& objectName) const;
    QTimer& TimerVisFreq() { return timerVisFreq_; }
    QTimer& TimerNascFreq() { return timerNascFreq_; }
    QTimer& TimerPooling() { return timerPooling_; }

signals:
    void executeRequested();
    void stopRequested();
    void singleSpectrumRequested();
    void softwareClosing();
    // The window has closed for good: the program ends.
    void quitRequested();
    // The frequency-table view, shown for a moment after a table is chosen, and put away.
    void tableViewRequested(const QString& name);
    void tableViewDismissed();
    // A spectrum file chosen in the scan browser, for the spectrum window to show.
    void reviewRequested(const QString& path);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildMenus();
    void buildLayout();
    XPFrame* buildStationFrame(QWidget* central);
    QVBoxLayout* buildCommandColumn(QWidget* central);
    QGridLayout* buildCommandButtons(QWidget* central);
    QHBoxLayout* buildWaitFrames(QWidget* central);
    void buildFieldList();
    void connectControls();
    void updateStatus(const PanelChecks& checks);
    void updateUndo();
    void updateGridWidth();
    // Sizes the window to what it holds (the run columns widen the grid).
    void fitToContents();
    void VisualizzaIcone();
    void hideTableView();
    void requestExitDuringRun();
    void fillFieldList();
    LoadSaveParams panelDialogParams(bool openMode) const;
    void refreshAfterPanelChange(bool rebuildGrid);
    // Reads the panel's table file into the current table, Retry/Cancel on a failed read.
    // False when Cancel ended the program.
    bool loadPanelTable();
    void showTableView();
    bool busy() const;
    void applyWaitBar(XPFrame* frame, PB_OCX* bar, const WaitBar& w);
    void lockForSingleSweep(bool locked);

    AppContext& ctx_;
    PanelModel& panel_;
    MessageBoxPrompts ownPrompts_{this};
    Prompts* prompts_ = &ownPrompts_;
    const Session* session_ = nullptr;
    AppearanceValues look_;
    QString setupRelease_;
    QWidget* initForm_;
    bool closing_ = false;
    bool locked_ = false;
    bool singleSweep_ = false;
    PanelChecks checks_;

    GridCentraline* grid_ = nullptr;
    QComboBox* cbxTable_ = nullptr;
    XPButton* execute_ = nullptr;
    XPButton* stop_ = nullptr;
    XPButton* undo_ = nullptr;
    XPButton* single_ = nullptr;
    XPButton* exit_ = nullptr;
    LB_OCX* status_ = nullptr;
    LB_OCX* polling_ = nullptr;
    XPFrame* frmStations_ = nullptr;
    XPFrame* frmTable_ = nullptr;
    XPFrame* frmWaitStation_ = nullptr;
    PB_OCX* pbWaitStation_ = nullptr;
    XPFrame* frmWaitRate_ = nullptr;
    PB_OCX* pbWaitRate_ = nullptr;
    QTimer timerVisFreq_;
    QTimer timerNascFreq_;
    QTimer timerPooling_;
    QListWidget* listaCampo_ = nullptr;
    int listSlot_ = -1;
    bool listH_ = false;
    QString pendingTable_;
    FreqTable* table_ = nullptr;
    FrmTTTFreqTab* view_ = nullptr;
    QString ReviewFile_;
};
