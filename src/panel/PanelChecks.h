#pragma once

#include "panel/PanelRecord.h"

#include <QString>
#include <QStringList>

class Switches;
struct FreqTable;

// The four checks that decide whether a run may start.
struct PanelChecks {
    bool CommInUse = false;
    bool FrequencyTableNotFound = false;
    bool NoStationSelected = false;
    bool FrequencyTableNotSuitable = false;

    bool allClear() const {
        return !CommInUse && !FrequencyTableNotFound && !NoStationSelected &&
               !FrequencyTableNotSuitable;
    }
    // The start command is enabled exactly when all four are false.
    bool canExecute() const { return allClear(); }
    // The single-station sweep needs one enabled station and no shared port.
    bool singleSpectrumAllowed() const { return !CommInUse && !NoStationSelected; }
    // The status caption (empty when hidden): the last flag that is set, in the order
    // port, table missing, no station, table not suitable.
    QString statusText() const;

    friend bool operator==(const PanelChecks&, const PanelChecks&) = default;
};

// True unless a slot in use is enabled.
bool noStationSelected(const PanelRecord& panel);
// True when two different slots in use and enabled carry the same port.
bool commInUse(const PanelRecord& panel);
// True when this slot is in use, enabled and shares its port with another such slot (its
// port cell is marked).
bool slotSharesPort(const PanelRecord& panel, int slot);

// The station checks, and the table checks against the table read from the named file
// (nullptr: not found).
PanelChecks evaluatePanelChecks(const PanelRecord& panel, const FreqTable* table,
                                const Switches& switches);
// The same, reading the panel's table from appDir + "Table/".
PanelChecks evaluatePanelChecks(const PanelRecord& panel, const QString& appDir,
                                const Switches& switches);

// Why the panel cannot run, as an operator needs it: one text per failing check, in the order
// of the checks above, each beginning with its status words and going on in full sentences
// with what and where (the ports used twice and their stations, the table file looked for,
// the rows out of range with the range message of the check before a run, a panel without
// stations apart from one whose stations are all disabled). Reads the panel's table from
// appDir + "Table/". Empty when the panel can run.
QStringList explainPanelChecks(const PanelRecord& panel, const QString& appDir,
                               const Switches& switches);

// Whether the panel differs from its backup in what Undo would change: a station's port or
// enabled mark, the measurement settings except the detector, and the table name when the
// backup's table exists.
bool PanelModified(const PanelRecord& panel, const PanelRecord& backup, const QString& appDir);
