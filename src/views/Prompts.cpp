#include "views/Prompts.h"

#include "app/Keypad.h"
#include "views/FrmKeyboard.h"
#include "views/widgets/Appearance.h"

#include <QColorDialog>
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
