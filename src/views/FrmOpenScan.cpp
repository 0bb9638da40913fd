#include "views/FrmOpenScan.h"

#include "app/AppContext.h"
#include "panel/PanelModel.h"
#include "views/Prompts.h"
#include "views/widgets/StyledControls.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
// The wait cursor for as long as a delete runs.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

FrmOpenScan::FrmOpenScan(AppContext& ctx, PanelModel& panel, Prompts& prompts,
                         const AppearanceValues& look, const QString& previousFile, QWidget* parent)
    : QDialog(parent), ctx_(ctx), panel_(panel), prompts_(prompts), model_(fs_, ctx.appDir) {
    build();
    // `CompilaCBXEstensioni`, with the panel's type chosen.
    {
        const QSignalBlocker quiet(cbxTypes_);
        cbxTypes_->addItems(CompilaCBXEstensioni());
        cbxTypes_->setCurrentIndex(std::clamp(int(panel_.panel().ScanExtensionIndex), 0, 3));
    }
    const QFileInfo previous(previousFile);
    showFolder(!previousFile.isEmpty() && previous.isFile() ? previous.absolutePath()
                                                            : scanRoot(ctx_.appDir));
    ApplyAppearance(this, look);
}

FrmOpenScan::~FrmOpenScan() = default;

void FrmOpenScan::build() {
    setObjectName(QStringLiteral("FrmOpenScan"));
    setWindowTitle(QStringLiteral("Open Scan"));
    auto* outer = new QVBoxLayout(this);
    cbxTypes_ = new QComboBox(this);
    cbxTypes_->setObjectName(QStringLiteral("CBXEstensioni"));
    outer->addWidget(cbxTypes_);

    auto* lists = new QHBoxLayout;
    dir1_ = new QTreeView(this);
    dir1_->setObjectName(QStringLiteral("Dir1"));
    dir1_->setModel(&model_);
    dir1_->header()->hide();
    dir1_->setMinimumSize(240, 300);
    file1_ = new QListWidget(this);
    file1_->setObjectName(QStringLiteral("File1"));
    file1_->setMinimumSize(240, 300);
    lists->addWidget(dir1_);
    lists->addWidget(file1_);
    outer->addLayout(lists);

    auto* buttons = new QHBoxLayout;
    open_ = new XPButton(QStringLiteral("&Open"), this);
    open_->setObjectName(QStringLiteral("CMBOpen"));
    exit_ = new XPButton(QStringLiteral("E&xit"), this);
    exit_->setObjectName(QStringLiteral("CMBExit"));
    for (XPButton* b : {open_, exit_}) {
        // Enter opens the chosen file from the list, never a button's default action.
        b->setAutoDefault(false);
        b->setMinimumWidth(96);
    }
    open_->setEnabled(false);
    buttons->addStretch();
    buttons->addWidget(open_);
    buttons->addWidget(exit_);
    outer->addLayout(buttons);

    dir1_->installEventFilter(this);
    file1_->installEventFilter(this);
    connect(cbxTypes_, &QComboBox::activated, this, &FrmOpenScan::chooseType);
    connect(dir1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex&, const QModelIndex&) { fillFiles(); });
    connect(file1_, &QListWidget::currentRowChanged, this,
            [this](int row) { open_->setEnabled(row >= 0); });
    connect(file1_, &QListWidget::itemDoubleClicked, this, [this] { CMBOpen_Click(); });
    connect(open_, &QPushButton::clicked, this, &FrmOpenScan::CMBOpen_Click);
    connect(exit_, &QPushButton::clicked, this, &FrmOpenScan::reject);
}

QString FrmOpenScan::currentFolder() const {
    return model_.folderPath(dir1_->currentIndex());
}

void FrmOpenScan::showFolder(const QString& folder) {
    // `ControllaLivelloDirTest`: the model gives the "Test" item for anything outside.
    select(model_.indexForPath(folder));
}

void FrmOpenScan::select(const QModelIndex& index) {
    if (!index.isValid()) {
        fillFiles();
        return;
    }
    for (QModelIndex up = index; up.isValid(); up = up.parent())
        dir1_->expand(up);
    dir1_->setCurrentIndex(index);
    dir1_->scrollTo(index);
    fillFiles();
}

void FrmOpenScan::fillFiles() {
    const QStringList names =
        model_.files(dir1_->currentIndex(), panel_.panel().ScanExtensionIndex);
    file1_->clear();
    file1_->addItems(names);
    open_->setEnabled(false);
}

void FrmOpenScan::chooseType(int comboIndex) {
    const int type = scanTypeIndex(cbxTypes_->itemText(comboIndex));
    if (type < 0) return;
    panel_.editSettings([type](PanelRecord& p) { p.ScanExtensionIndex = qint16(type); });
    fillFiles();
}

void FrmOpenScan::deleteFolder() {
    const QModelIndex index = dir1_->currentIndex();
    const QString folder = model_.folderPath(index);
    if (!ControllaCancDirLog(ctx_.appDir, folder, ctx_.eventLog.currentPath())) return;
    if (!prompts_.question(QStringLiteral("Are you sure you want to delete ") + folder +
                           QStringLiteral(" ?")))
        return;
    const QPersistentModelIndex parent = index.parent();
    {
        const WaitCursor wait;
        deleteFolderTree(fs_, folder);
    }
    // The parent is read again: the deleted item goes (what could not be deleted stays).
    select(refreshQuietly(parent));
}

void FrmOpenScan::deleteFile() {
    const QListWidgetItem* item = file1_->currentItem();
    if (!item) return;
    const QString path = currentFolder() + QLatin1Char('/') + item->text();
    if (!fileMayBeDeleted(ctx_.appDir, path, ctx_.eventLog.currentPath())) return;
    if (!prompts_.question(QStringLiteral("Are you sure you want to delete ") + item->text() +
                           QStringLiteral(" ?")))
        return;
    const int row = file1_->currentRow();
    fs_.removeFile(path);
    select(refreshQuietly(dir1_->currentIndex()));
    if (file1_->count() > 0) file1_->setCurrentRow(std::min(row, file1_->count() - 1));
}

QModelIndex FrmOpenScan::refreshQuietly(const QModelIndex& index) {
    // While items go and come the view's current item may pass through them: the list is
    // filled once, from the item shown afterwards.
    const QSignalBlocker quiet(dir1_->selectionModel());
    return model_.refresh(index);
}

void FrmOpenScan::goUp() {
    const QModelIndex up = dir1_->currentIndex().parent();
    if (up.isValid()) select(up);
}

void FrmOpenScan::CMBOpen_Click() {
    const QListWidgetItem* item = file1_->currentItem();
    if (!item) return;
    reviewFile_ = currentFolder() + QLatin1Char('/') + item->text();
    accept();
}

void FrmOpenScan::reject() {
    reviewFile_.clear();
    QDialog::reject();
}

bool FrmOpenScan::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, e);
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Backspace) {
        goUp();
        return true;
    }
    if (key == Qt::Key_Delete) {
        if (watched == dir1_) deleteFolder();
        if (watched == file1_) deleteFile();
        return true;
    }
    if (watched == file1_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        CMBOpen_Click();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
