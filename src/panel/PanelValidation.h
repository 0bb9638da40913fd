#pragma once

#include "panel/PanelRecord.h"

#include <QStringList>

#include <functional>

class AppContext;
class Switches;

// Upper frequency limit (MHz) of the spectrum span for a List Mode field selection:
// 30 for exactly E, exactly H Mode B, or E with H Mode B; 3 for exactly H Mode A or E with
// H Mode A; 0 for anything else.
double spanUpperLimit(const std::array<qint16, 3>& listModeFields);

// Clamps start and stop into 0.009..upper and keeps a span of at least 0.005 MHz where the
// limit allows it. A value that is not a number is replaced (start by 0.009, stop by upper)
// before clamping. With an upper limit above 0.009 the pair always ends with
// 0.009 <= start < stop <= upper.
void adjustSpan(float& start, float& stop, double upper);

// The RBW index suited to a span: from the narrowest RBW down, while a hundredth of the
// span is wider than the RBW, take the next wider one; 0 at the latest.
int rbwIndexForSpan(double start, double stop);

// The measurement settings a new panel starts with; stations, the table name, SortByDate,
// TableEditorRBWIndex, LayoutVersionFlag and the reserved regions keep what they hold.
void applyNewPanelDefaults(PanelRecord& panel, const Switches& switches);

// What the load rules need from the disk, so that they can also run on files held in memory.
struct PanelValidationFiles {
    // True when a frequency table of that (trimmed) name exists.
    std::function<bool(const QString& name)> tableExists;
    // The names of the frequency tables, sorted newest first or by name.
    std::function<QStringList(bool newestFirst)> sortedTables;
    // Receives the record just upgraded from the old layout.
    std::function<void(const PanelRecord& upgraded)> upgradeCopy;
};

// Brings every checked field of a panel just read into its range, in the fixed order of the
// load rules. An old layout is upgraded and a copy of the upgraded record is written to
// "Panels/TMP.TMP"; a missing frequency table is replaced by the first table by name (or
// date, with SortByDate). Stations in use are moved up to close any gaps.
void ValidatePanel(PanelRecord& panel, const AppContext& ctx);
// The same rules with the tables and the upgrade copy given by the caller.
void ValidatePanel(PanelRecord& panel, const PanelValidationFiles& files);
