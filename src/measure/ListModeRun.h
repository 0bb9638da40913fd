#pragma once

#include "measure/ExposureSetup.h"
#include "measure/ResultsCsv.h"
#include "measure/RunSettings.h"
#include "measure/RunState.h"

#include <functional>

class AppContext;
class ProbeIo;
class RunView;

// The List Mode driver: visits the present and selected stations one after the other, pass
// after pass, scans each over the frequency table, and at the end of every report period
// writes the period's report; a stop request ends the run at the next safe point with the
// report of the last complete data.
class ListModeRun {
public:
    ListModeRun(AppContext& ctx, ProbeIo& io, RunView& view);

    // Runs until the run ends (stop request, failed polling check, period limit). The
    // table rows carry the RBW actually sent (already limited by frequency).
    void EseguiSoloLMoLMeSM(const RunSettings& settings, const TableRows& table,
                            const RunStations& stations);

    // The view the run shows itself in; changed only between runs.
    void setView(RunView& view);

    // Requests a stop; the run ends at its next check (at once during the delay).
    void CMBStop();

    bool running() const { return st_.InEsecuzione; }
    bool delayRunning() const { return delayRunning_; }
    const StatoCiclo& state() const { return st_; }
    StatoCiclo& state() { return st_; }
    const RunSettings& settings() const { return s_; }
    const TableRows& table() const { return table_; }
    const RunStations& stations() const { return stations_; }

    // Stop as CMBStop would at the end of the Nth report period (0 = no limit).
    int maxPeriods = 0;
    // The Spectrum Mode turn after each report of a run that goes on, when Spectrum Mode is
    // on. It may raise the stop request.
    std::function<void(ListModeRun&)> spectrumModeTurn;
    // Called after each station's visit (the Spectrum Mode wait bars follow it).
    std::function<void(int slot)> stationVisited;
    // Called when a pass over the stations has ended (before its report check), with the
    // number of passes of the run so far. It may raise the stop request.
    std::function<void(int passes)> passEnded;

    // The exposure table and alarm level of the run, set before it starts.
    ExposureSetup exposure;
    // Called after each period's reports and results files were written, with the stations
    // evaluated.
    std::function<void(const std::vector<StationPeriodResult>&)> periodResults;

private:
    void freshStart();
    void startPeriod();
    void visitStation(int slot);
    void delayBetweenStations(int slot);
    void afterVisit(int slot);
    bool endOfPass(); // false when the run ended
    void MemorizzaUltimiDatiCompleti(int numFreq);
    void endOfRun();
    void recordResults();
    void showExposure(int slot);

    AppContext& ctx_;
    ProbeIo& io_;
    RunView* view_;
    RunSettings s_;
    TableRows table_{};
    RunStations stations_{};
    StatoCiclo st_;
    bool delayRunning_ = false;
    int passes_ = 0;
};
