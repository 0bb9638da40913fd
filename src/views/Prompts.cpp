#include "views/Prompts.h"

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
