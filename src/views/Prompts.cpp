#include "views/Prompts.h"

#include "panel/LoadSaveDialog.h"
#include "views/FrmLoadSave.h"
#include "views/MsgboxNameST.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
const QString kTitle = QStringLiteral("Halvex");
}

bool MessageBoxPrompts::question(const QString& text) {
    return QMessageBox::warning(parent_, kTitle, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

void MessageBoxPrompts::message(const QString& text, MessageIcon icon) {
    if (icon == MessageIcon::Exclamation)
        QMessageBox::warning(parent_, kTitle, text);
    else
        QMessageBox::information(parent_, kTitle, text);
}

bool MessageBoxPrompts::askYesNo(const QString& text) {
    return QMessageBox::warning(parent_, kTitle, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MessageBoxPrompts::titledMessage(const QString& title, const QString& text) {
    QMessageBox::warning(parent_, title, text);
}

bool MessageBoxPrompts::retryOrCancel(const QString& text) {
    return QMessageBox::warning(parent_, kTitle, text, QMessageBox::Retry | QMessageBox::Cancel) ==
           QMessageBox::Retry;
}

int MessageBoxPrompts::MsgboxNameST(const QString& text, const QStringList& captions,
                                    QString* name) {
    ::MsgboxNameST box(text, captions, name ? *name : QString(), parent_);
    ApplyAppearance(&box, look_);
    box.exec();
    if (name) *name = box.enteredName();
    return box.result();
}

QString MessageBoxPrompts::FrmLoadSave(const LoadSaveParams& params) {
    ::FrmLoadSave dialog(params, *this, parent_);
    ApplyAppearance(&dialog, look_);
    dialog.exec();
    return dialog.DialogResult();
}

QString MessageBoxPrompts::saveFileName(const QString& title, const QString& proposedPath,
                                        const QString& filter) {
    return QFileDialog::getSaveFileName(parent_, title, proposedPath, filter);
}
