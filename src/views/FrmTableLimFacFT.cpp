#include "views/FrmTableLimFacFT.h"

#include "app/AppContext.h"
#include "app/Keypad.h"
#include "freqtable/FreqTableFile.h"
#include "freqtable/FreqTableText.h"
#include "panel/FileNames.h"
#include "panel/LoadSaveDialog.h"
#include "panel/PanelModel.h"
#include "views/FreqTableGridModel.h"
#include "views/Prompts.h"
#include "views/widgets/Appearance.h"
#include "views/widgets/StyledControls.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The in-cell editors: `TBCella` for a frequency, `CBXRBW` with the labels the row allows.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(FrmTableLimFacFT& form, QObject* parent)
        : QStyledItemDelegate(parent), form_(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        if (index.column() == FreqTableGridModel::FrequencyColumn) {
            auto* tb = new QLineEdit(parent);
            tb->setObjectName(QStringLiteral("TBCella"));
            return tb;
        }
        auto* cbx = new QComboBox(parent);
        cbx->setObjectName(QStringLiteral("CBXRBW"));
        cbx->addItems(form_.core().CompilaCBXRBW(index.row()));
        // A click on a label takes the cell back at once.
        connect(cbx, &QComboBox::activated, cbx, [this, cbx](int) {
            form_.rbwLabelClicked(FreqTableEditor::TrovaIDRBWDaCBXRBW(cbx->currentText()));
            form_.enterPressed();
            auto* self = const_cast<CellDelegate*>(this);
            emit self->commitData(cbx);
            emit self->closeEditor(cbx, QAbstractItemDelegate::SubmitModelCache);
        });
        return cbx;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = index.data(Qt::EditRole).toString().trimmed();
        if (auto* tb = qobject_cast<QLineEdit*>(editor)) {
            tb->setText(text);
            tb->selectAll();
        } else if (auto* cbx = qobject_cast<QComboBox*>(editor)) {
            cbx->setCurrentIndex(std::max(0, cbx->findText(text)));
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* tb = qobject_cast<QLineEdit*>(editor))
            model->setData(index, tb->text(), Qt::EditRole);
        else if (auto* cbx = qobject_cast<QComboBox*>(editor))
            model->setData(index, cbx->currentText(), Qt::EditRole);
    }

protected:
    // Enter takes the cell back and moves the cursor on; leaving the cell only takes it back.
    bool eventFilter(QObject* editor, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) form_.enterPressed();
        }
        // A double-click in the frequency box offers the keypad; its number is entered as if
        // typed.
        auto* tb = qobject_cast<QLineEdit*>(editor);
        if (tb && e->type() == QEvent::MouseButtonDblClick) {
            if (const std::optional<double> v = form_.keypadValue(tb)) {
                tb->setText(QString::number(*v, 'g', 15));
                form_.enterPressed();
                emit commitData(tb);
                emit closeEditor(tb, QAbstractItemDelegate::SubmitModelCache);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(editor, e);
    }

private:
    FrmTableLimFacFT& form_;
};

const QString kExtension = QStringLiteral("FTR");

} // namespace

FrmTableLimFacFT::FrmTableLimFacFT(AppContext& ctx, PanelModel& panel, FreqTable& table,
                                   Prompts& prompts, const AppearanceValues& look,
                                   const QString& tableName, QWidget* parent)
    : QDialog(parent), ctx_(ctx), panel_(panel), prompts_(prompts), core_(table, ctx.switches) {
    setObjectName(QStringLiteral("FrmTableLimFacFT"));
    setWindowTitle(QStringLiteral("Frequency Table"));
    core_.tableName = tableName;

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(12);
    auto* left = new QVBoxLayout();
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("LBTitle"));
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    left->addWidget(title_);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("TabFreqTable"));
    model_ = new FreqTableGridModel(core_, true, this);
    grid_->setModel(model_);
    grid_->setItemDelegate(new CellDelegate(*this, grid_));
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grid_->verticalHeader()->setDefaultSectionSize(24);
    for (int c = 0; c < 3; ++c)
        grid_->setColumnWidth(c, FreqTableGridModel::columnWidth(c) + 20);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setMinimumSize(grid_->columnWidth(0) + grid_->columnWidth(1) + grid_->columnWidth(2) +
                              24,
                          grid_->horizontalHeader()->sizeHint().height() + 16 * 24 + 4);
    left->addWidget(grid_);
    outer->addLayout(left, 1);

    auto* right = new QVBoxLayout();
    auto button = [this, right](const QString& name, const QString& caption) {
        auto* b = new XPButton(caption, this);
        b->setObjectName(name);
        b->setMinimumSize(130, 34);
        b->setAutoDefault(false);
        right->addWidget(b);
        return b;
    };
    remove_ = button(QStringLiteral("CMBRemoveRowTab"), QStringLiteral("Remove row"));
    right->addSpacing(12);
    load_ = button(QStringLiteral("CMBLoadFT"), QStringLiteral("Load"));
    saveAs_ = button(QStringLiteral("CMBSaveFTAs"), QStringLiteral("Save as"));
    saveText_ = button(QStringLiteral("CMBSaveFTAsText"), QStringLiteral("Save as text"));
    right->addStretch(1);
    exit_ = button(QStringLiteral("CMBExitFT"), QStringLiteral("Exit"));
    outer->addLayout(right);
    remove_->setEnabled(false);

    connect(model_, &FreqTableGridModel::entered, this, &FrmTableLimFacFT::entered,
            Qt::QueuedConnection);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { cellClicked(index); });
    connect(grid_, &QTableView::clicked, this, &FrmTableLimFacFT::cellClicked);
    connect(remove_, &QPushButton::clicked, this, &FrmTableLimFacFT::CMBRemoveRowTab_Click);
    connect(load_, &QPushButton::clicked, this, &FrmTableLimFacFT::CMBLoadFT_Click);
    connect(saveAs_, &QPushButton::clicked, this, [this] { CMBSaveFTAs_Click(); });
    connect(saveText_, &QPushButton::clicked, this, &FrmTableLimFacFT::CMBSaveFTAsText_Click);
    connect(exit_, &QPushButton::clicked, this, &FrmTableLimFacFT::CMBExitFT_Click);

    ApplyAppearance(this, look);
    // The snapshot was taken before the grid was filled: a coupling the fill applies is an
    // edit of the table in memory and is settled on closing like any other.
    model_->refill();
    updateTitle();
}

FrmTableLimFacFT::~FrmTableLimFacFT() = default;

void FrmTableLimFacFT::updateTitle() {
    title_->setText(
        QStringLiteral("Frequency Table: ") +
        (core_.tableName.isEmpty() ? QString() : core_.tableName + QLatin1Char('.') + kExtension));
}

void FrmTableLimFacFT::setStartCell(int row, int column) {
    if (row < 0 || row >= model_->rowCount() || column < 1 || column > 2) return;
    grid_->setFocus();
    grid_->setCurrentIndex(model_->index(row, column));
}

void FrmTableLimFacFT::cellClicked(const QModelIndex& index) {
    core_.clickedRow = index.isValid() ? index.row() : -1;
    const bool removable = core_.canRemove(core_.clickedRow);
    remove_->setEnabled(removable);
    remove_->setText(removable ? QStringLiteral("Remove row ") + QString::number(index.row() + 1)
                               : QStringLiteral("Remove row"));
}

void FrmTableLimFacFT::entered(int column, int entry, int row, const QString& message) {
    if (!message.isEmpty()) prompts_.message(message, MessageIcon::Exclamation);
    const bool move = moveNext_ && entry != int(FreqTableEditor::Entry::Duplicate);
    moveNext_ = false;
    if (!move) return;
    int nextRow = row;
    int nextColumn = column;
    core_.nextCell(row, column, &nextRow, &nextColumn);
    nextRow = std::min(nextRow, model_->rowCount() - 1);
    grid_->setCurrentIndex(model_->index(nextRow, nextColumn));
    grid_->scrollTo(grid_->currentIndex());
}

std::optional<double> FrmTableLimFacFT::keypadValue(QWidget* box) {
    // Mode 0 ("KHz" / "MHz", the result in MHz): the mode of every frequency box.
    const double v = prompts_.keypad(0, box);
    if (v == Keypad::Cancelled) return std::nullopt;
    return v;
}

void FrmTableLimFacFT::rbwLabelClicked(int index) {
    if (index < 0) return;
    panel_.editSettings(
        [index](PanelRecord& p) { p.TableEditorRBWIndex = qint16(std::clamp(index, 0, 5)); });
}

void FrmTableLimFacFT::CMBRemoveRowTab_Click() {
    if (!core_.removeRow(core_.clickedRow)) return;
    model_->refill();
    cellClicked({});
    grid_->clearSelection();
}

void FrmTableLimFacFT::setButtonsEnabled(bool on) {
    for (XPButton* b : {saveAs_, load_, exit_})
        b->setEnabled(on);
}

QString FrmTableLimFacFT::runDialog(const LoadSaveParams& params) {
    QDir().mkpath(params.DialogFolder);
    setButtonsEnabled(false);
    const QString name = prompts_.FrmLoadSave(params);
    setButtonsEnabled(true);
    return name;
}

void FrmTableLimFacFT::CMBLoadFT_Click() {
    if (!settleEdits(true)) return;
    LoadSaveParams p;
    p.DialogTitle = QStringLiteral("Load Frequency Table");
    p.DialogExtension = kExtension;
    p.DialogFolder = ctx_.path(QStringLiteral("Table/"));
    p.DialogDefaultName = QStringLiteral("Table");
    p.DialogOpenMode = true;
    p.DialogRefuseNone = true;
    p.DialogResultWithoutExtension = true;
    p.SortByDate = panel_.panel().SortByDate != 0;
    const QString name = runDialog(p);
    if (name.isEmpty()) return;
    const QString path =
        FileNames::isUsableName(name) ? FreqTableFile::pathFor(ctx_.appDir, name) : QString();
    if (path.isEmpty()) {
        prompts_.message(QStringLiteral("File name not valid"), MessageIcon::Exclamation);
        return;
    }
    if (!readWithRetry(path)) return;
    core_.tableName = name;
    model_->refill();
    core_.takeSnapshot();
    cellClicked({});
    updateTitle();
}

bool FrmTableLimFacFT::CMBSaveFTAs_Click() {
    LoadSaveParams p;
    p.DialogTitle = QStringLiteral("Save Frequency Table As");
    p.DialogExtension = kExtension;
    p.DialogFolder = ctx_.path(QStringLiteral("Table/"));
    p.DialogDefaultName = core_.tableName.isEmpty() ? QStringLiteral("Table") : core_.tableName;
    p.DialogOpenMode = false;
    p.DialogRefuseNone = true;
    p.DialogResultWithoutExtension = true;
    p.SortByDate = panel_.panel().SortByDate != 0;
    const QString name = runDialog(p);
    if (name.isEmpty()) return false;
    const QString path =
        FileNames::isUsableName(name) ? FreqTableFile::pathFor(ctx_.appDir, name) : QString();
    if (path.isEmpty()) {
        prompts_.message(QStringLiteral("File name not valid"), MessageIcon::Exclamation);
        return false;
    }
    if (!writeWithRetry(path)) return false;
    // An existing file of another case keeps its name: the table is named as the file is.
    core_.tableName = FileNames::fileTitle(QFileInfo(path).fileName());
    core_.takeSnapshot();
    updateTitle();
    return true;
}

void FrmTableLimFacFT::CMBSaveFTAsText_Click() {
    const QString folder = ctx_.path(QStringLiteral("Table/"));
    QDir().mkpath(folder);
    const QString path =
        prompts_.saveFileName(QStringLiteral("Save As Text"), folder + QStringLiteral("Table.TXT"),
                              QStringLiteral("Text File (*.TXT)"));
    if (path.isEmpty()) return;
    // Nothing is written outside the application's folder.
    const QString root = QDir(ctx_.appDir).canonicalPath() + QLatin1Char('/');
    const QFileInfo target(path);
    const QString dir = QDir(target.absolutePath()).canonicalPath() + QLatin1Char('/');
    if (!dir.startsWith(root) || target.fileName().isEmpty()) {
        prompts_.message(QStringLiteral("File name not valid"), MessageIcon::Exclamation);
        return;
    }
    const QString file = dir + target.fileName();
    while (!saveFreqTableText(file, ctx_.clock.now(), core_.table().usedFrequencies(),
                              panel_.panel().SeparatorIndex)) {
        if (!prompts_.retryOrCancel(QStringLiteral("Cannot save file \r\n") + file)) {
            endProgram();
            return;
        }
    }
}

bool FrmTableLimFacFT::readWithRetry(const QString& path) {
    while (FreqTableFile::read(path, core_.table()) == FreqTableFile::ReadResult::Failed) {
        if (!prompts_.retryOrCancel(QStringLiteral("Failed loading"))) {
            endProgram();
            return false;
        }
    }
    return true;
}

bool FrmTableLimFacFT::writeWithRetry(const QString& path) {
    while (!FreqTableFile::write(path, core_.table())) {
        if (!prompts_.retryOrCancel(QStringLiteral("Cannot save file \r\n") + path)) {
            endProgram();
            return false;
        }
    }
    return true;
}

void FrmTableLimFacFT::endProgram() {
    // The main window ends the program in order once this modal window has returned; nothing
    // more is asked or written on the way out.
    endProgram_ = true;
    QDialog::done(QDialog::Rejected);
}

bool FrmTableLimFacFT::settleEdits(bool forLoad) {
    if (endProgram_) return false;
    if (!core_.ControllaVarFreqLiv()) return true;
    if (core_.tableName.isEmpty()) return CMBSaveFTAs_Click();
    QString name;
    const int choice = prompts_.MsgboxNameST(
        QStringLiteral("Frequency Table modified"),
        {QStringLiteral("Save"), QStringLiteral("Replace"), QStringLiteral("Cancel")}, &name);
    if (choice == 0) return CMBSaveFTAs_Click();
    if (choice == 1) {
        const QString path = FileNames::isUsableName(core_.tableName)
                                 ? FreqTableFile::pathFor(ctx_.appDir, core_.tableName)
                                 : QString();
        if (path.isEmpty()) return CMBSaveFTAs_Click();
        return writeWithRetry(path);
    }
    // Closing: "Cancel" closes without writing. Loading: it abandons the load, so the edits
    // stay on screen.
    return !forLoad;
}

void FrmTableLimFacFT::CMBExitFT_Click() {
    if (!settleEdits(false)) return;
    core_.takeSnapshot();
    QDialog::done(QDialog::Accepted);
}

void FrmTableLimFacFT::reject() {
    // Esc and the close box close the way Exit does.
    if (endProgram_) {
        QDialog::reject();
        return;
    }
    CMBExitFT_Click();
}
