#include "views/FrmLoadSave.h"

#include "panel/FileNames.h"
#include "views/Prompts.h"
#include "views/widgets/StyledControls.h"

#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>

FrmLoadSave::FrmLoadSave(const LoadSaveParams& params, Prompts& prompts, QWidget* parent)
    : QDialog(parent), core_(params), prompts_(prompts) {
    setObjectName(QStringLiteral("FrmLoadSave"));
    setWindowTitle(params.DialogTitle);
    const bool open = params.DialogOpenMode;
    setWindowIcon(
        style()->standardIcon(open ? QStyle::SP_DialogOpenButton : QStyle::SP_DialogSaveButton));

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(12, 12, 12, 12);
    v->setSpacing(8);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("FileList"));
    list_->setMinimumSize(320, 240);
    list_->installEventFilter(this);
    v->addWidget(list_);

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("TBSave"));
    name_->setMaxLength(196);
    name_->installEventFilter(this);
    v->addWidget(name_);

    auto* buttons = new QHBoxLayout();
    save_ = new XPButton(QStringLiteral("Save"), this);
    save_->setObjectName(QStringLiteral("CmdSave"));
    load_ = new XPButton(QStringLiteral("Load"), this);
    load_->setObjectName(QStringLiteral("CmdLoad"));
    exit_ = new XPButton(QStringLiteral("Exit"), this);
    exit_->setObjectName(QStringLiteral("CMBExit"));
    for (XPButton* b : {save_, load_, exit_}) {
        b->setMinimumSize(90, 30);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->insertStretch(2, 1);
    v->addLayout(buttons);

    name_->setVisible(!open);
    save_->setVisible(!open);
    load_->setVisible(open);
    load_->setEnabled(false);
    if (!open) name_->setText(params.DialogDefaultName);

    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) {
        int caret = name_->cursorPosition();
        const QString clean = FileNames::removeIllegalCharacters(t, &caret);
        if (clean == t) return;
        name_->setText(clean);
        name_->setCursorPosition(caret);
    });
    connect(name_, &QLineEdit::returnPressed, this, &FrmLoadSave::CmdSave_Click);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        load_->setEnabled(row >= 0);
        if (!core_.params().DialogOpenMode && row >= 0) name_->setText(core_.entries()[row].title);
    });
    connect(list_, &QListWidget::itemActivated, this, [this] {
        if (core_.params().DialogOpenMode)
            CmdLoad_Click();
        else
            CmdSave_Click();
    });
    connect(load_, &QPushButton::clicked, this, &FrmLoadSave::CmdLoad_Click);
    connect(save_, &QPushButton::clicked, this, &FrmLoadSave::CmdSave_Click);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);

    fillList();
    if (open)
        list_->setFocus();
    else
        name_->setFocus();
}

void FrmLoadSave::fillList() {
    QDir().mkpath(core_.params().DialogFolder);
    core_.refresh();
    const QSignalBlocker block(list_);
    list_->clear();
    list_->addItems(core_.titles());
    list_->setCurrentRow(-1);
    load_->setEnabled(false);
}

void FrmLoadSave::act(const LoadSaveOutcome& o) {
    if (!o.message.isEmpty()) {
        if (o.messageTitle.isEmpty())
            prompts_.message(o.message, MessageIcon::Exclamation);
        else
            prompts_.titledMessage(o.messageTitle, o.message);
    }
    if (o.putNameBack) name_->setText(o.nameBack);
    if (!o.question.isEmpty() && !prompts_.askYesNo(o.question)) return;
    if (!o.close) return;
    result_ = o.result;
    accept();
}

void FrmLoadSave::CmdLoad_Click() {
    if (list_->currentRow() < 0) return;
    act(core_.load(list_->currentRow()));
}

void FrmLoadSave::CmdSave_Click() {
    if (core_.params().DialogOpenMode) return;
    act(core_.save(name_->text()));
}

void FrmLoadSave::deleteSelected() {
    const int row = list_->currentRow();
    if (row < 0) return;
    QString refusal;
    const QString question = core_.deleteQuestion(row, &refusal);
    if (question.isEmpty()) {
        if (!refusal.isEmpty()) prompts_.message(refusal, MessageIcon::Exclamation);
        return;
    }
    if (!prompts_.question(question)) return;
    core_.remove(row);
    fillList();
}

bool FrmLoadSave::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (watched == list_ && key == Qt::Key_Delete) {
            deleteSelected();
            return true;
        }
        if (watched == list_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            if (core_.params().DialogOpenMode)
                CmdLoad_Click();
            else
                CmdSave_Click();
            return true;
        }
        // From the name box the arrows walk the list.
        if (watched == name_ && (key == Qt::Key_Down || key == Qt::Key_Up) && list_->count() > 0) {
            const int row = list_->currentRow();
            const int next =
                key == Qt::Key_Down ? std::min(row + 1, list_->count() - 1) : std::max(row - 1, 0);
            list_->setCurrentRow(next);
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}
