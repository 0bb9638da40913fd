#pragma once

#include "measure/GridColumn.h"
#include "measure/RunSettings.h"
#include "measure/RunState.h"

class AppContext;
class ProbeIo;
class RunView;

// The scan of one station over the frequency table, and the reading and display of the
// field components at each frequency.
class TableScan {
public:
    TableScan(AppContext& ctx, ProbeIo& io, RunView& view, const RunSettings& settings,
              const TableRows& table, StatoCiclo& state);

    // Scans the station; true when every row in use was read.
    bool ScandisciFreqListMode(int slot);
    // Reads all selected components at the frequency already set and updates the record;
    // false when the station failed or a stop came before the record was complete.
    bool DeterminaCampoMZK450(int slot, int row, bool accumulate, double frequency);
    // Shows the evaluated E and H of a record in the grid and in the captions.
    void VisualizzaColCampoEH(int slot, int row, double frequency);
    // Remaining time of the report period in the rate wait frame.
    void AggCapEValPBLM(double remaining, double periodLength);

private:
    bool failedOrStopped(int slot) const;

    AppContext& ctx_;
    ProbeIo& io_;
    RunView& view_;
    const RunSettings& s_;
    const TableRows& table_;
    StatoCiclo& st_;
    const bool logEveryField_;
    const bool instantaneous_;
};

// Shows "..." in black in the station's field cells.
void CancellaColCampoEH(RunView& view, const RunSettings& s, int slot);
// The run columns for the field selection.
QList<Column> runColumns(const RunSettings& s, bool inhibitColumn);
