#include "views/Prompts.h"

#include "app/Keypad.h"
#include "views/FrmKeyboard.h"
#include "views/widgets/Appearance.h"

#include "panel/LoadSaveDialog.h"
#include "views/FrmLoadSave.h"
#include "views/MsgboxNameST.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
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

std::optional<quint32> Prompts::chooseColour(const QString&, quint32) {
    return std::nullopt;
}

double Prompts::keypad(int, QWidget*) {
    return Keypad::Cancelled;
}

std::optional<quint32> MessageBoxPrompts::chooseColour(const QString& title, quint32 current) {
    const QColor c = QColorDialog::getColor(storedColour(current), parent_, title);
    if (!c.isValid()) return std::nullopt;
    return colourValue(c);
}

double MessageBoxPrompts::keypad(int mode, QWidget* box) {
    FrmKeyboard keyboard(mode, box ? box->window() : parent_);
    keyboard.placeBeside(box);
    keyboard.exec();
    return keyboard.KeypadResult();
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

bool Prompts::retryCannotSave(const QString&) {
    return false;
}

bool Prompts::retryFailedLoading(const QString&) {
    return false;
}

QString Prompts::saveSpectrumFileName(const QString&, const QString&, const QString&, const QStringList&) {
    return {};
}

bool MessageBoxPrompts::retryCannotSave(const QString& fileName) {
    return QMessageBox::warning(parent_, kTitle,
                                QStringLiteral("Cannot save file ") + QLatin1Char('\n') + fileName,
                                QMessageBox::Retry | QMessageBox::Cancel) == QMessageBox::Retry;
}

bool MessageBoxPrompts::retryFailedLoading(const QString& fileName) {
    return QMessageBox::warning(parent_, kTitle,
                                QStringLiteral("Failed loading") + QLatin1Char('\n') + fileName,
                                QMessageBox::Retry | QMessageBox::Cancel) == QMessageBox::Retry;
}

QString MessageBoxPrompts::saveSpectrumFileName(const QString& title, const QString& folder,
                                        const QString& name, const QStringList& filters) {
    QFileDialog dialog(parent_, title, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    QString chosen = dialog.selectedFiles().constFirst();
    // A name typed without an extension takes the one of the chosen type.
    if (QFileInfo(chosen).suffix().isEmpty()) {
        const QString filter = dialog.selectedNameFilter();
        const int dot = filter.indexOf(QStringLiteral("*."));
        if (dot >= 0)
            chosen += filter.mid(dot + 1, filter.indexOf(QLatin1Char(')'), dot) - dot - 1);
    }
    return chosen;
}
