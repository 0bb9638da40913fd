#pragma once

#include <QString>

// Which field exchanges go to the event log, as the "/SEGNAFIELD" selection of the command
// line asks. The line is read once, when the run starts.
class FieldLogSelection {
public:
    FieldLogSelection() = default;
    explicit FieldLogSelection(const QString& commandLine);

    // 0 no, 1 yes, 2 yes (selected by frequency), for a component ("EX" .. "HZ") at a
    // frequency in MHz.
    int DeterminaFieldDaSegnare(const QString& componentName, double frequency) const;

private:
    bool present_ = false;
    bool all_ = false;  // "/SEGNAFIELD\": every component
    QString selection_; // from the switch to the first "\" after it
};
