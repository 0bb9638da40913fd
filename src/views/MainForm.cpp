#include "views/MainForm.h"

#include "app/AppContext.h"
#include "app/Format.h"
#include "app/Limits.h"
#include "freqtable/FreqTableFile.h"
#include "measure/Session.h"
#include "panel/FileNames.h"
#include "panel/LoadSaveDialog.h"
#include "spectrum/SpcFile.h"
#include "views/FrmAspect.h"
#include "views/FrmInsRemCent.h"
#include "views/FrmMeasure.h"
#include "views/FrmOpenScan.h"
#include "views/FrmTTTFreqTab.h"
#include "views/FrmTableLimFacFT.h"
#include "views/GridCentraline.h"
#include "views/ModalWindows.h"
#include "views/StationGridModel.h"
#include "views/widgets/PB_OCX.h"
#include "views/widgets/StyledControls.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QListWidget>
#include <QMenuBar>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QColor fromValue(quint32 v) {
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

// A menu caption up to its "|": the rest is for the menu-drawing component.
QString menuText(const QString& caption) {
    return caption.section(QLatin1Char('|'), 0, 0);
}

} // namespace

MainForm::MainForm(AppContext& ctx, PanelModel& panel, const AppearanceValues& look,
                   QString setupRelease, QWidget* initForm)
    : QMainWindow(nullptr), ctx_(ctx), panel_(panel), look_(look),
      setupRelease_(std::move(setupRelease)), initForm_(initForm) {
    setObjectName(QStringLiteral("MainForm"));

    buildMenus();
    buildLayout();

    timerVisFreq_.setInterval(50);
    timerVisFreq_.setSingleShot(true);
    timerNascFreq_.setInterval(2500);
    timerNascFreq_.setSingleShot(true);
    connect(&timerVisFreq_, &QTimer::timeout, this, [this] {
        emit tableViewRequested(pendingTable_);
        cbxTable_->setFocus();
        timerNascFreq_.start();
    });
    connect(&timerNascFreq_, &QTimer::timeout, this, [this] {
        // The view does not vanish from under the pointer: it waits until the pointer leaves.
        if (view_ && view_->isVisible() && view_->frameGeometry().contains(QCursor::pos()))
            timerNascFreq_.start();
        else
            hideTableView();
    });
    timerPooling_.setSingleShot(true);
    connect(&timerPooling_, &QTimer::timeout, this, [this] { polling_->hide(); });
}

MainForm::~MainForm() = default;

// ---- construction -----------------------------------------------------------------------

void MainForm::buildMenus() {
    auto addMenu = [this](const QString& name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(menuText(caption));
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };
    auto addItem = [this](QMenu* m, const QString& name, const QString& caption) {
        QAction* a = m->addAction(menuText(caption));
        a->setObjectName(name);
        return a;
    };
    QMenu* file = addMenu(QStringLiteral("MNUFile"), QStringLiteral("File"));
    // Windows that other parts of the program provide start disabled; they are enabled when
    // their window is attached to the action.
    connect(addItem(file, QStringLiteral("MNUSavePanel"), QStringLiteral("Save Panels|#s_Key3")),
            &QAction::triggered, this, &MainForm::MNUSavePanel_Click);
    connect(addItem(file, QStringLiteral("MNUOpenPanel"), QStringLiteral("Open Panels|#s_Key4")),
            &QAction::triggered, this, &MainForm::MNUOpenPanel_Click);
    connect(addItem(file, QStringLiteral("mnuOpenScan"), QStringLiteral("Open Scan|#s_Key8")),
            &QAction::triggered, this, &MainForm::mnuOpenScan_Click);
    QAction* info = addItem(file, QStringLiteral("MNUInfo"), QStringLiteral("Info|#s_Key10"));
    connect(info, &QAction::triggered, this, &MainForm::MNUInfo_Click);

    QMenu* opt = addMenu(QStringLiteral("MNUOptions"), QStringLiteral("Option"));
    QAction* aspect = addItem(opt, QStringLiteral("MNUAspect"), QStringLiteral("Aspect|#s_Key5"));
    connect(aspect, &QAction::triggered, this, &MainForm::MNUAspect_Click);
    QAction* sort = addItem(opt, QStringLiteral("MNUSortByDate"), QStringLiteral("Sort by date"));
    sort->setCheckable(true);
    connect(sort, &QAction::triggered, this, &MainForm::MNUSortByDate_Click);

    QMenu* set = addMenu(QStringLiteral("MNUSettings"), QStringLiteral("Settings"));
    QAction* table = addItem(set, QStringLiteral("MNUFrequencyTable"),
                             QStringLiteral("Frequency Table|#s_Key6"));
    table->setEnabled(false); // until the current table is attached
    connect(table, &QAction::triggered, this, &MainForm::MNUFrequencyTable_Click);
    QAction* measure =
        addItem(set, QStringLiteral("MNUMeasure"), QStringLiteral("Measure|#s_Key7"));
    connect(measure, &QAction::triggered, this, &MainForm::MNUMeasure_Click);
}

void MainForm::buildLayout() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("MainCentral"));
    setCentralWidget(central);
    setStyleSheet(QStringLiteral(
        "#MainCentral { background: #eef1f5; }"
        "QMenuBar { background: #ffffff; border-bottom: 1px solid #d5dbe3; padding: 2px; }"
        "QMenuBar::item { padding: 4px 10px; border-radius: 4px; }"
        "QMenuBar::item:selected { background: #e3ecf8; }"));

    auto* outer = new QGridLayout(central);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setHorizontalSpacing(12);
    outer->setVerticalSpacing(10);

    outer->addWidget(buildStationFrame(central), 0, 0, 2, 1);
    outer->addLayout(buildCommandColumn(central), 0, 1, 2, 1);
    outer->addLayout(buildWaitFrames(central), 2, 0, 1, 2);
    outer->setRowStretch(1, 1);
    outer->setColumnStretch(0, 1);

    grid_->viewport()->installEventFilter(this);
    grid_->viewport()->setMouseTracking(true);

    central->setMouseTracking(true);
    central->installEventFilter(this);
    buildFieldList();
    connectControls();
}

// The stations frame around the grid.
XPFrame* MainForm::buildStationFrame(QWidget* central) {
    frmStations_ = new XPFrame(QStringLiteral("Stations"), central);
    frmStations_->setObjectName(QStringLiteral("FRMCentraline"));
    frmStations_->setMouseTracking(true);
    frmStations_->installEventFilter(this);
    auto* sv = new QVBoxLayout(frmStations_);
    grid_ = new GridCentraline(panel_, frmStations_);
    grid_->setRunningQuery([this] { return locked_ || ctx_.flags.MeasurementRunning; });
    sv->addWidget(grid_);
    return frmStations_;
}

// The right column: table choice, status, commands.
QVBoxLayout* MainForm::buildCommandColumn(QWidget* central) {
    auto* right = new QVBoxLayout();
    right->setSpacing(8);
    frmTable_ = new XPFrame(QStringLiteral("Frequency Table"), central);
    frmTable_->setObjectName(QStringLiteral("FrmFrequencyTable"));
    auto* tv = new QVBoxLayout(frmTable_);
    cbxTable_ = new QComboBox(frmTable_);
    cbxTable_->setObjectName(QStringLiteral("CBXFrequencyTable"));
    cbxTable_->setMinimumWidth(170);
    cbxTable_->setMinimumHeight(28);
    cbxTable_->installEventFilter(this);
    tv->addWidget(cbxTable_);
    right->addWidget(frmTable_);

    status_ = new LB_OCX(central);
    status_->setObjectName(QStringLiteral("LBError"));
    QFont bold = font();
    bold.setBold(true);
    status_->setFont(bold);
    status_->setMinimumHeight(46);
    status_->hide();
    right->addWidget(status_);

    right->addLayout(buildCommandButtons(central));
    right->addStretch(1);

    polling_ = new LB_OCX(central);
    polling_->setObjectName(QStringLiteral("LBPolling"));
    polling_->setFont(bold);
    polling_->setMinimumHeight(44);
    polling_->hide();
    right->addWidget(polling_);

    exit_ = new XPButton(QStringLiteral("Exit"), central);
    exit_->setObjectName(QStringLiteral("CMBExit"));
    exit_->setMinimumHeight(36);
    right->addWidget(exit_);

    return right;
}

// Start (with Stop in its place during a run), Single Spectrum and Undo.
QGridLayout* MainForm::buildCommandButtons(QWidget* central) {
    auto* cmds = new QGridLayout();
    cmds->setVerticalSpacing(8);
    execute_ = new XPButton(QStringLiteral("Start"), central);
    execute_->setObjectName(QStringLiteral("CMBExecute"));
    execute_->setShortcut(QKeySequence(Qt::Key_F5));
    execute_->setToolTip(QStringLiteral("Start (F5)"));
    execute_->setAccent(QColor(34, 139, 84));
    stop_ = new XPButton(QStringLiteral("Stop"), central);
    stop_->setObjectName(QStringLiteral("CMBStop"));
    stop_->setAccent(QColor(200, 48, 48));
    stop_->hide();
    // Stop takes Start's place while a run is in progress.
    cmds->addWidget(execute_, 0, 0);
    cmds->addWidget(stop_, 0, 0);
    single_ = new XPButton(QStringLiteral("Single Spectrum"), central);
    single_->setObjectName(QStringLiteral("CMBEseguiSpettroSingCent"));
    single_->setShortcut(QKeySequence(Qt::Key_F6));
    single_->setToolTip(QStringLiteral("Single Spectrum of the selected station (F6)"));
    cmds->addWidget(single_, 1, 0);
    undo_ = new XPButton(QStringLiteral("Undo"), central);
    undo_->setObjectName(QStringLiteral("CMBUndo"));
    undo_->setEnabled(false);
    cmds->addWidget(undo_, 2, 0);
    for (XPButton* b : {execute_, stop_, single_, undo_})
        b->setMinimumHeight(36);
    return cmds;
}

// The wait frames, shown by the measurement cycle.
QHBoxLayout* MainForm::buildWaitFrames(QWidget* central) {
    auto* waits = new QHBoxLayout();
    waits->setSpacing(12);
    frmWaitStation_ = new XPFrame(QString(), central);
    frmWaitStation_->setObjectName(QStringLiteral("FRMAttesaCent"));
    auto* w1 = new QVBoxLayout(frmWaitStation_);
    pbWaitStation_ = new PB_OCX(frmWaitStation_);
    pbWaitStation_->setObjectName(QStringLiteral("PBAttesaCent"));
    pbWaitStation_->setMinimumHeight(16);
    w1->addWidget(pbWaitStation_);
    frmWaitRate_ = new XPFrame(QString(), central);
    frmWaitRate_->setObjectName(QStringLiteral("FRMAttesaRateLM"));
    auto* w2 = new QVBoxLayout(frmWaitRate_);
    pbWaitRate_ = new PB_OCX(frmWaitRate_);
    pbWaitRate_->setObjectName(QStringLiteral("PBAttesaRateLM"));
    pbWaitRate_->setMinimumHeight(16);
    w2->addWidget(pbWaitRate_);
    waits->addWidget(frmWaitStation_, 3);
    waits->addWidget(frmWaitRate_, 2);
    frmWaitStation_->setKeepTitleSpace(true);
    frmWaitRate_->setKeepTitleSpace(true);
    frmWaitStation_->hide();
    frmWaitRate_->hide();

    return waits;
}

// The field list: one station's readings of the period, next to its E or H cell.
void MainForm::buildFieldList() {
    listaCampo_ = new QListWidget(this);
    listaCampo_->setObjectName(QStringLiteral("ListaCampo"));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(12);
    listaCampo_->setFont(mono);
    listaCampo_->setSelectionMode(QAbstractItemView::NoSelection);
    listaCampo_->setFocusPolicy(Qt::NoFocus);
    listaCampo_->setStyleSheet(QStringLiteral(
        "QListWidget#ListaCampo { background: #fffdf2; border: 1px solid #b9a96a; }"));
    listaCampo_->hide();
}

void MainForm::connectControls() {
    connect(&panel_, &PanelModel::checksChanged, this, &MainForm::updateStatus);
    connect(grid_, &GridCentraline::panelStored, this, &MainForm::updateUndo);
    connect(grid_, &GridCentraline::removeRowRequested, this, [this](int row) {
        auto* dlg = new FrmInsRemCent(*grid_, row, look_, this);
        const int col = std::max(0, grid_->MouseCol);
        const QRect r = grid_->visualRect(grid_->model()->index(row - 1, col));
        dlg->adjustSize();
        dlg->move(grid_->viewport()->mapToGlobal(r.bottomLeft() + QPoint(8, 2)));
        dlg->show();
    });
    connect(cbxTable_, &QComboBox::activated, this, &MainForm::chooseTable);
    connect(execute_, &QPushButton::clicked, this, [this] {
        if (!ctx_.flags.MeasurementRunning) emit executeRequested();
    });
    connect(stop_, &QPushButton::clicked, this, &MainForm::CMBStop_Click);
    connect(single_, &QPushButton::clicked, this, &MainForm::CMBEseguiSpettroSingCent_Click);
    connect(undo_, &QPushButton::clicked, this, &MainForm::CMBUndo_Click);
    connect(exit_, &QPushButton::clicked, this, &MainForm::CMBExit_Click);
}

void MainForm::updateGridWidth() {
    int w = 0;
    for (int c = 0; c < grid_->columnCount(); ++c)
        w += grid_->columnWidth(c);
    w += 2 * grid_->frameWidth() + 2;
    grid_->setMinimumWidth(w);
    const int rows = std::min(grid_->rowCount(), kStationCount + 1);
    grid_->setMinimumHeight(grid_->horizontalHeader()->sizeHint().height() +
                            std::max(rows, 8) * grid_->verticalHeader()->defaultSectionSize() +
                            2 * grid_->frameWidth() + 2);
}

QAction* MainForm::action(const QString& name) const {
    return menuBar()->findChild<QAction*>(name);
}

QMenu* MainForm::menu(const QString& name) const {
    return menuBar()->findChild<QMenu*>(name);
}

// ---- load and close -----------------------------------------------------------------------

void MainForm::load() {
    applyAppearance(look_);
    RateHours = ctx_.switches.rateHours();

    panel_.startUp();
    grid_->RebuildGrid();
    updateGridWidth();
    action(QStringLiteral("MNUSortByDate"))->setChecked(panel_.panel().SortByDate != 0);
    refreshTableList();

    ctx_.flags.StopRequest = false;
    ctx_.flags.ExitRequest = false;
    ctx_.flags.MeasurementRunning = false;
    restoreCaption();
    updateUndo();

    if (initForm_) initForm_->hide();
    ctx_.eventLog.write(false, QStringLiteral("Software Start"));

    VisualizzaIcone();
    fitToContents();
    move(0, 0);
    action(QStringLiteral("MNUInfo"))->setVisible(!setupRelease_.isEmpty());
}

void MainForm::restoreCaption() {
    setWindowTitle(QStringLiteral("Halvex") + QStringLiteral(" Panel: ") + panel_.panelTitle());
}

void MainForm::VisualizzaIcone() {
    if (!ctx_.switches.has(QStringLiteral("/ICONE"))) return;
    QStyle* s = style();
    exit_->setIcon(s->standardIcon(QStyle::SP_DialogCloseButton));
    undo_->setIcon(s->standardIcon(QStyle::SP_ArrowBack));
    single_->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
    execute_->setIcon(s->standardIcon(QStyle::SP_MediaPlay));
    stop_->setIcon(s->standardIcon(QStyle::SP_MediaStop));
}

void MainForm::ChiudiSoftware() {
    if (closing_) return;
    closing_ = true;
    // An open dialog goes by its Cancel route first, so "Software Close" stays the last line.
    closeModalWindows();
    ctx_.eventLog.WriteEventLog(
        QStringLiteral("    ") + PadLogText(QStringLiteral("Software Close")), true);
    hideTableView();
    emit softwareClosing();
    if (initForm_) initForm_->close();
    close();
    emit quitRequested();
}

void MainForm::requestExitDuringRun() {
    ctx_.flags.ExitRequest = true;
    ctx_.flags.StopRequest = true;
}

void MainForm::CMBExit_Click() {
    if (!ctx_.flags.MeasurementRunning)
        ChiudiSoftware();
    else
        requestExitDuringRun();
}

void MainForm::closeEvent(QCloseEvent* e) {
    if (closing_) {
        e->accept();
        return;
    }
    // A run in progress is never cut: it sees the requests and closes the program itself.
    if (ctx_.flags.MeasurementRunning) {
        requestExitDuringRun();
        e->ignore();
        return;
    }
    e->ignore(); // ChiudiSoftware closes the window itself
    ChiudiSoftware();
}

// ---- panel commands -------------------------------------------------------------------------

void MainForm::updateStatus(const PanelChecks& checks) {
    checks_ = checks;
    const bool running = locked_ || ctx_.flags.MeasurementRunning;
    status_->setCaption(checks.statusText());
    status_->setVisible(!checks.allClear());
    execute_->setEnabled(checks.allClear() && !running);
    // The caption keeps its few words; hovering it, or Start held disabled by it, tells why.
    const QString why = checks.allClear()
                            ? QString()
                            : explainPanelChecks(panel_.panel(), ctx_.appDir, ctx_.switches)
                                  .join(QLatin1Char('\n'));
    status_->setToolTip(why);
    execute_->setToolTip(why.isEmpty() ? QStringLiteral("Start (F5)") : why);
    // The single sweep needs the spectrum window, which is attached through the signal.
    const bool sweepAttached =
        isSignalConnected(QMetaMethod::fromSignal(&MainForm::singleSpectrumRequested));
    single_->setEnabled(sweepAttached && checks.singleSpectrumAllowed() && !running);
}

void MainForm::updateUndo() {
    undo_->setEnabled(!locked_ && panel_.PanelModified());
}

void MainForm::CMBUndo_Click() {
    if (locked_ || ctx_.flags.MeasurementRunning) return;
    panel_.undo();
    grid_->RebuildGrid();
    refreshTableList();
    updateGridWidth();
    updateUndo();
}

void MainForm::CMBStop_Click() {
    ctx_.flags.StopRequest = true;
    emit stopRequested();
}

int MainForm::selectedSlot() const {
    const QModelIndex at = grid_->currentIndex();
    return at.isValid() && at.row() < grid_->stationRows() ? at.row() : -1;
}

void MainForm::CMBEseguiSpettroSingCent_Click() {
    if (ctx_.flags.MeasurementRunning || locked_ || closing_ || selectedSlot() < 0) return;
    panel_.store();
    hideTableView();
    lockForSingleSweep(true);
    emit singleSpectrumRequested();
    lockForSingleSweep(false);
    // A close asked for during the sweep was held until it ended.
    if (ctx_.flags.ExitRequest) ChiudiSoftware();
}

void MainForm::lockForSingleSweep(bool locked) {
    singleSweep_ = locked;
    locked_ = locked;
    if (locked) grid_->cancelCellEdit();
    single_->setEnabled(!locked);
    undo_->setEnabled(false);
    frmStations_->setEnabled(!locked);
    execute_->setEnabled(!locked);
    frmTable_->setEnabled(!locked);
    cbxTable_->setEnabled(!locked);
    for (const char* m : {"MNUFile", "MNUOptions", "MNUSettings"})
        if (QMenu* mm = menu(QLatin1String(m))) mm->setEnabled(!locked);
    if (!locked) {
        updateStatus(checks_);
        updateUndo();
    }
}

void MainForm::MNUInfo_Click() {
    prompts_->information(QStringLiteral("Setup Release: ") + setupRelease_);
}

void MainForm::MNUSortByDate_Click() {
    QAction* a = action(QStringLiteral("MNUSortByDate"));
    const bool on = panel_.panel().SortByDate == 0;
    a->setChecked(on);
    panel_.editSettings([on](PanelRecord& p) { p.SortByDate = on ? -1 : 0; });
    refreshTableList();
    updateUndo();
}

void MainForm::MNUMeasure_Click() {
    if (locked_ || ctx_.flags.MeasurementRunning || closing_) return;
    {
        FrmMeasure dialog(ctx_, panel_, *prompts_, look_, this);
        dialog.exec();
    }
    if (closing_) return;
    panel_.evaluateChecks();
    updateUndo();
}

void MainForm::mnuOpenScan_Click() {
    if (locked_ || ctx_.flags.MeasurementRunning || closing_) return;
    {
        FrmOpenScan browser(ctx_, panel_, *prompts_, look_, ReviewFile_, this);
        browser.exec();
        ReviewFile_ = browser.ReviewFile();
    }
    updateUndo();
    if (closing_ || ReviewFile_.isEmpty()) return;
    if (panel_.panel().ScanExtensionIndex == 0) {
        // Only a readable spectrum goes to review: a damaged file is reported here, where the
        // operator can simply choose another, not in the middle of the spectrum window.
        SpcHeader header;
        SweepSettings settings;
        auto data = std::make_unique<SpectrumData>();
        if (CaricaStrSpettro(ReviewFile_, header, settings, *data) == SpcLoad::Loaded)
            emit reviewRequested(ReviewFile_);
        else
            prompts_->message(QStringLiteral("Failed loading ") + ReviewFile_,
                              MessageIcon::Exclamation);
        return;
    }
    // A platform with no program for the type (or no desktop) must not fail in silence.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ReviewFile_)))
        prompts_->message(QStringLiteral("No program could open ") + ReviewFile_,
                          MessageIcon::Exclamation);
}

void MainForm::MNUAspect_Click() {
    if (locked_ || ctx_.flags.MeasurementRunning || closing_) return;
    FrmAspect dialog(panel_.settings(), settingsPath(ctx_),
                     ctx_.path(QStringLiteral("Panels/TMP.TMP")), *prompts_, this);
    connect(&dialog, &FrmAspect::appearanceChanged, this, &MainForm::applyAppearance);
    dialog.exec();
}

QStringList MainForm::tableNames() const {
    QStringList names = FreqTableFile::list(ctx_.appDir);
    // The panel keeps the chosen name as single-byte text of fixed length: a file whose name
    // it cannot hold could be chosen, but the panel would then point at a table that is not there.
    names.removeIf([](const QString& n) {
        return n.size() > PanelRecord::FreqTableNameSize || QString::fromLatin1(n.toLatin1()) != n;
    });
    FileNames::sortFileNamesIn(names, panel_.panel().SortByDate != 0,
                               ctx_.path(QStringLiteral("Table/")), QStringLiteral("FTR"));
    return names;
}

void MainForm::refreshTableList() {
    const QSignalBlocker block(cbxTable_);
    cbxTable_->clear();
    cbxTable_->addItems(tableNames());
    const QString current = panel_.panel().freqTableNameText();
    int at = -1;
    for (int i = 0; i < cbxTable_->count(); ++i)
        if (cbxTable_->itemText(i).compare(current, Qt::CaseInsensitive) == 0) at = i;
    cbxTable_->setCurrentIndex(at);
}

void MainForm::chooseTable(int index) {
    if (index < 0 || index >= cbxTable_->count() || locked_ || ctx_.flags.MeasurementRunning)
        return;
    const QString name = cbxTable_->itemText(index);
    cbxTable_->setCurrentIndex(index);
    panel_.setFreqTableName(name);
    panel_.store();
    grid_->MarkDuplicatePorts(); // re-runs the checks: the table decides whether a run may start
    updateUndo();
    pendingTable_ = name;
    timerNascFreq_.stop();
    timerVisFreq_.start();
}

void MainForm::deleteSelectedTable() {
    const int index = cbxTable_->currentIndex();
    if (index < 0 || locked_ || ctx_.flags.MeasurementRunning) return;
    const QString name = cbxTable_->itemText(index);
    if (!prompts_->question(QStringLiteral("Are you sure you want to delete ") + name +
                            QStringLiteral(" ?")))
        return;
    hideTableView();
    // Only a file that the listing found is removed; errors are ignored.
    const QString path = FreqTableFile::find(ctx_.appDir, name);
    if (!path.isEmpty()) QFile::remove(path);
    refreshTableList();
    if (cbxTable_->count() == 0) {
        grid_->MarkDuplicatePorts();
        return;
    }
    chooseTable(std::clamp(index - 1, 0, cbxTable_->count() - 1));
}

void MainForm::hideTableView() {
    timerVisFreq_.stop();
    timerNascFreq_.stop();
    emit tableViewDismissed();
}

bool MainForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == cbxTable_ && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
        deleteSelectedTable();
        return true;
    }
    // The firmware release of a station over its serial-number cell; the grid's own tips
    // (the battery voltage) elsewhere.
    if (grid_ && watched == grid_->viewport() && e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        const QModelIndex idx = grid_->indexAt(he->pos());
        const QString tip =
            (idx.isValid() && grid_->columnAt(idx.column()) == Column::SerialNumber && session_)
                ? session_->firmwareTooltip(idx.row())
                : idx.data(Qt::ToolTipRole).toString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(he->globalPos(), tip, grid_->viewport());
        return true;
    }
    if (grid_ && watched == grid_->viewport() && e->type() == QEvent::MouseMove) {
        const QModelIndex idx = grid_->indexAt(static_cast<QMouseEvent*>(e)->position().toPoint());
        pointerOverCell(idx.isValid() ? idx.row() + 1 : -1, idx.isValid() ? idx.column() : -1);
    }
    // Moving over the window or the stations puts the briefly shown table view away.
    if ((watched == frmStations_ || watched == centralWidget()) && e->type() == QEvent::MouseMove &&
        (timerVisFreq_.isActive() || timerNascFreq_.isActive()))
        hideTableView();
    return QMainWindow::eventFilter(watched, e);
}

void MainForm::applyAppearance(const AppearanceValues& look) {
    look_ = look;
    ApplyAppearance(this, look_);
    ownPrompts_.setAppearance(look_);
}

// ---- run side -------------------------------------------------------------------------------

void MainForm::DisabilitaControlli() {
    locked_ = true;
    hideTableView(); // the table cannot change during a run; its view goes
    grid_->cancelCellEdit();
    single_->setEnabled(false);
    execute_->setEnabled(false);
    for (const char* m : {"MNUFile", "MNUOptions", "MNUSettings"})
        if (QMenu* mm = menu(QLatin1String(m))) mm->setEnabled(false);
    frmTable_->setEnabled(false);
    cbxTable_->setEnabled(false);
    undo_->setEnabled(false);
    execute_->hide();
    stop_->show();
}

void MainForm::AbilitaControlli() {
    locked_ = false;
    frmWaitStation_->setKeepTitleSpace(true);
    frmWaitRate_->setKeepTitleSpace(true);
    frmWaitStation_->hide();
    frmWaitRate_->hide();
    stop_->hide();
    execute_->show();
    polling_->hide();
    listaCampo_->hide();
    listSlot_ = -1;
    timerPooling_.stop();
    pbWaitStation_->setValue(0);
    pbWaitRate_->setValue(0);
    for (const char* m : {"MNUFile", "MNUOptions", "MNUSettings"})
        if (QMenu* mm = menu(QLatin1String(m))) mm->setEnabled(true);
    frmTable_->setEnabled(true);
    cbxTable_->setEnabled(true);
    fitToContents();
    updateStatus(checks_);
    updateUndo();
}

void MainForm::markStationLink(int slot, bool /*failed*/, quint32 colour) {
    grid_->paintStationRow(slot, fromValue(colour));
}

void MainForm::showBatteryLevel(int slot, const BatteryDisplay& d) {
    grid_->showBattery(slot, d);
}

void MainForm::stampLinkTime(int slot, int gridRow, const QString& text) {
    const int col = grid_->columnOf(Column::LastLinkTime);
    if (col < 0) return;
    const int row = (gridRow >= 1 && gridRow <= grid_->rowCount()) ? gridRow : slot + 1;
    grid_->setCellText(row, col, text);
}

void MainForm::setSerialCell(int slot, const QString& serial) {
    grid_->setCellText(slot + 1, grid_->columnOf(Column::SerialNumber), serial);
}

void MainForm::insertRunColumns(const QList<Column>& columns) {
    grid_->insertRunColumns(columns);
    updateGridWidth();
    fitToContents();
}

void MainForm::restoreGrid() {
    grid_->RebuildGrid();
    updateGridWidth();
    fitToContents();
}

void MainForm::setSpectrumWait(int slot, const WaitBar& bar) {
    const int col = grid_->columnOf(Column::SpectrumInhibit);
    if (col >= 0) grid_->setCellText(slot + 1, col, bar.visible ? bar.caption : QString());
}

void MainForm::setFieldCell(int slot, Column column, const QString& text, quint32 colour) {
    const int col = grid_->columnOf(column);
    if (col < 0) return;
    grid_->setCellText(slot + 1, col, text);
    grid_->cells().setTextColour(slot, column, fromValue(colour));
    // A value wider than the column's default width widens it, so no reading is elided.
    const int need = grid_->fontMetrics().horizontalAdvance(text.trimmed()) + 14;
    if (need > grid_->columnWidth(col)) {
        grid_->setColumnWidth(col, need);
        updateGridWidth();
        fitToContents();
    }
}

void MainForm::highlightStation(int slot) {
    const int row = slot + 1;
    if (row < 1 || row > grid_->rowCount()) return;
    grid_->setCurrentGridCell(row, grid_->columnOf(Column::SerialNumber));
    grid_->scrollTo(grid_->model()->index(row - 1, 0));
}

void MainForm::applyWaitBar(XPFrame* frame, PB_OCX* bar, const WaitBar& w) {
    frame->setCaption(w.caption);
    bar->setRange(w.minimum, w.maximum);
    bar->setValue(w.value);
    if (w.customColours) {
        QList<QColor> c;
        for (quint32 v : w.colours)
            c.append(fromValue(v));
        bar->setColours(c);
    } else {
        bar->setColours({});
    }
    frame->setVisible(w.visible);
}

void MainForm::setStationWait(const WaitBar& bar) {
    const bool was = frmWaitStation_->isVisibleTo(this);
    applyWaitBar(frmWaitStation_, pbWaitStation_, bar);
    if (was != bar.visible) fitToContents();
}

void MainForm::setRateWait(const WaitBar& bar) {
    const bool was = frmWaitRate_->isVisibleTo(this);
    applyWaitBar(frmWaitRate_, pbWaitRate_, bar);
    if (was != bar.visible) fitToContents();
}

void MainForm::fitToContents() {
    // adjustSize() would cap a window at two thirds of the screen; the grid needs its width.
    if (QLayout* l = centralWidget()->layout()) l->activate();
    if (layout()) layout()->activate();
    resize(sizeHint().expandedTo(minimumSizeHint()));
}

void MainForm::showPollingLabel(const QString& caption, quint32 firstColour, quint32 secondColour,
                                int hideAfterMs) {
    timerPooling_.stop();
    polling_->setCaption(caption);
    polling_->setColors(fromValue(firstColour), fromValue(secondColour));
    polling_->show();
    if (hideAfterMs > 0) timerPooling_.start(hideAfterMs);
}

void MainForm::message(const QString& text, MessageIcon icon) {
    prompts_->message(text, icon);
}

void MainForm::pointerOverCell(int row, int col) {
    const Column column = grid_->columnAt(col);
    const bool hColumn = column == Column::FieldH;
    const int slot = row - 1;
    const bool over = ctx_.flags.MeasurementRunning && session_ &&
                      (column == Column::FieldE || hColumn) && slot >= 0 &&
                      slot < grid_->stationRows() &&
                      panel_.panel().Stations[size_t(slot)].isEnabled();
    if (!over) {
        listaCampo_->hide();
        listSlot_ = -1;
        return;
    }
    if (listaCampo_->isVisible() && listSlot_ == slot && listH_ == hColumn) return;
    listSlot_ = slot;
    listH_ = hColumn;
    fillFieldList();
    const QRect cell = grid_->visualRect(grid_->model()->index(row - 1, col));
    const QPoint at = grid_->viewport()->mapTo(this, cell.topRight() + QPoint(4, 0));
    listaCampo_->move(at);
    listaCampo_->show();
    listaCampo_->raise();
}

void MainForm::fillFieldList() {
    listaCampo_->clear();
    if (listSlot_ < 0 || !session_) return;
    listaCampo_->addItems(session_->fieldListLines(listSlot_, listH_));
    const QFontMetrics fm(listaCampo_->font());
    int w = 0;
    for (int i = 0; i < listaCampo_->count(); ++i)
        w = std::max(w, fm.horizontalAdvance(listaCampo_->item(i)->text()));
    const int rows = std::clamp(listaCampo_->count(), 1, 14);
    listaCampo_->resize(w + 28, rows * (fm.height() + 2) + 8);
}

void MainForm::readingShown(const ReadingUpdate& update) {
    if (listaCampo_->isVisible() && update.slot == listSlot_) fillFieldList();
}

// ---- panel files and the frequency table ------------------------------------------------------

bool MainForm::busy() const {
    return locked_ || ctx_.flags.MeasurementRunning || closing_;
}

LoadSaveParams MainForm::panelDialogParams(bool openMode) const {
    LoadSaveParams p;
    p.DialogTitle = openMode ? QStringLiteral("Open Panels") : QStringLiteral("Save Panels As");
    p.DialogExtension = QStringLiteral("EST");
    p.DialogFolder = ctx_.path(QStringLiteral("Panels/"));
    p.DialogDefaultName = FileNames::fileTitle(panel_.CurrentPanelName().trimmed());
    p.DialogOpenMode = openMode;
    p.DialogRefuseNone = false;
    p.DialogResultWithoutExtension = false;
    p.SortByDate = panel_.panel().SortByDate != 0;
    // Deleting the panel in use would lose it at the next start.
    p.ProtectedEntry = panel_.panelTitle();
    return p;
}

void MainForm::refreshAfterPanelChange(bool rebuildGrid) {
    if (rebuildGrid) {
        grid_->RebuildGrid();
        updateGridWidth();
    } else {
        grid_->MarkDuplicatePorts();
    }
    action(QStringLiteral("MNUSortByDate"))->setChecked(panel_.panel().SortByDate != 0);
    refreshTableList();
    restoreCaption();
    updateUndo();
    fitToContents();
}

void MainForm::MNUSavePanel_Click() {
    if (busy()) return;
    hideTableView();
    QDir().mkpath(ctx_.path(QStringLiteral("Panels/")));
    const QString name = prompts_->FrmLoadSave(panelDialogParams(false));
    if (name.isEmpty()) return;
    const QString title = FileNames::nameWithoutExtension(name);
    if (!panel_.saveAs(title))
        prompts_->message(QStringLiteral("Cannot save file \r\n") +
                              ctx_.path(QStringLiteral("Panels/")) + name,
                          MessageIcon::Exclamation);
    refreshAfterPanelChange(false);
}

void MainForm::MNUOpenPanel_Click() {
    if (busy()) return;
    hideTableView();
    QDir().mkpath(ctx_.path(QStringLiteral("Panels/")));
    const QString name = prompts_->FrmLoadSave(panelDialogParams(true));
    if (name.isEmpty()) return;
    if (!FileNames::isUsableName(name) || !panel_.open(name)) {
        prompts_->message(QStringLiteral("File name not valid"), MessageIcon::Exclamation);
        return;
    }
    refreshAfterPanelChange(true);
}

void MainForm::attachFreqTable(FreqTable& table) {
    table_ = &table;
    action(QStringLiteral("MNUFrequencyTable"))->setEnabled(true);
    if (view_) return;
    view_ = new FrmTTTFreqTab(table, ctx_.switches, this);
    view_->setBusyQuery([this] { return busy(); });
    connect(view_, &FrmTTTFreqTab::editRequested, this,
            [this](int row, int column) { openTableEditor(row, column); });
    connect(this, &MainForm::tableViewRequested, this, &MainForm::showTableView);
    connect(this, &MainForm::tableViewDismissed, view_, &QWidget::close);
}

bool MainForm::loadPanelTable() {
    const QString name = panel_.panel().freqTableNameText().trimmed();
    const QString path =
        FileNames::isUsableName(name) ? FreqTableFile::pathFor(ctx_.appDir, name) : QString();
    if (path.isEmpty()) return true; // no such name: the table in memory stays as it is
    while (FreqTableFile::read(path, *table_) == FreqTableFile::ReadResult::Failed) {
        if (!prompts_->retryOrCancel(QStringLiteral("Failed loading"))) {
            ChiudiSoftware();
            return false;
        }
    }
    return true;
}

void MainForm::showTableView() {
    if (!view_ || busy()) return;
    if (!loadPanelTable()) return;
    view_->load();
    // Beside the main window, inside the screen.
    const QRect frame = frameGeometry();
    QPoint at = frame.topRight() + QPoint(8, 0);
    if (const QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        if (at.x() + view_->width() > room.right())
            at.setX(std::max(room.left(), frame.left() - view_->width() - 8));
        at.setY(
            std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - view_->height())));
    }
    view_->move(at);
}

void MainForm::MNUFrequencyTable_Click() {
    openTableEditor();
}

void MainForm::openTableEditor(int row, int column) {
    if (!table_ || busy()) return;
    hideTableView();
    if (!loadPanelTable()) return;
    const QString current = panel_.panel().freqTableNameText().trimmed();
    FrmTableLimFacFT editor(ctx_, panel_, *table_, *prompts_, look_,
                            FileNames::isUsableName(current) ? current : QString(), this);
    editor.setStartCell(row, column);
    editor.exec();
    if (editor.endProgramRequested()) {
        ChiudiSoftware();
        return;
    }
    if (closing_) return; // the program closed while the editor was open: nothing more is stored
    // The panel records the table that was edited; the list and the checks follow the files.
    if (!editor.tableName().isEmpty()) {
        panel_.setFreqTableName(editor.tableName());
        panel_.store();
    }
    refreshTableList();
    grid_->MarkDuplicatePorts();
    updateUndo();
}
