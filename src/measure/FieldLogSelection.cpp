#include "measure/FieldLogSelection.h"

#include "measure/NumberFormat.h"

FieldLogSelection::FieldLogSelection(const QString& commandLine) {
    static const QString kSwitch = QStringLiteral("/SEGNAFIELD");
    const int a = int(commandLine.indexOf(kSwitch));
    if (a < 0) return;
    present_ = true;
    all_ = commandLine.contains(kSwitch + QLatin1Char('\\'));
    // The selection runs from the switch to the first "\" after it (the end of the line when
    // there is none).
    const int b = int(commandLine.indexOf(QLatin1Char('\\'), a));
    selection_ = b < 0 ? commandLine.mid(a) : commandLine.mid(a, b - a + 1);
}

int FieldLogSelection::DeterminaFieldDaSegnare(const QString& componentName,
                                               double frequency) const {
    if (!present_) return 0;
    if (all_) return 1;
    if (!selection_.contains(componentName)) return 0;
    if (selection_.contains(QLatin1Char('=')))
        return selection_.contains(shortestText(frequency)) ? 2 : 0;
    return 1;
}
