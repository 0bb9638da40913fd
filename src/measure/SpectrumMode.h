#pragma once

#include "measure/RunSettings.h"
#include "measure/RunView.h"
#include "measure/SweepRunner.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <memory>

class AppContext;
class Deadline;
class ListModeRun;
class ProbeIo;
class Switches;
struct PanelRecord;

// The Spectrum Mode settings of a panel, taken when a run starts (the panel is locked then).
struct SpectrumModeSettings {
    bool rateOn = true;                             // CHKRateSM
    int rateIndex = 0;                              // CBXRateSpectrumMode
    std::array<bool, 2> fields{true, false};        // CHKCampoSpectrumMode: E, H
    std::array<float, 2> thresholds{20.0f, 0.053f}; // TBCampoSpectrumMode: V/m, A/m
    float fStart = 0.009f;                          // MHz
    float fStop = 30.0f;
    int rbwIndex = 0;
    bool preamp = false;
    int hFieldType = 2; // H sweeps in Mode A when List Mode reads Mode A, else Mode B
    int separatorIndex = 0;
    bool saveBitmap = false;
    bool saveJpeg = false;
    int jpegQuality = 100;

    static SpectrumModeSettings from(const PanelRecord& p);
};

// The Spectrum Mode rate in seconds. "/RATEHOURS=n/" (n minutes) applies in List Mode only.
int DeterminaRateSM(int rateIndex, const Switches& switches, bool listMode);

// How a station's Spectrum Mode turn ended.
enum class SweepCode {
    Nothing = 0,    // on threshold: nothing was due; at rate: the sweeps were made
    Aborted = 1,    // the operator stopped a sweep: the run stops
    NoResponse = 2, // the station did not answer
    Swept = 3,      // on threshold: the sweeps were made
};

// What Spectrum Mode keeps per station during a run.
struct SpectrumModeStation {
    std::shared_ptr<Deadline> next; // inhibited until it expires; none: due
    QDateTime lastSweep;            // end of the last counted sweep
    int count = 0;                  // sweeps made in this run
    QString serial;                 // as read from the probe in this run
    WaitBar bar;                    // PBAttesaRateSM
};

// Decides when each station's spectrum is swept and which field, prepares the station and
// hands each sweep to the runner: the Spectrum Mode turn after each List Mode report, the
// Spectrum Mode-only run and the single sweep of one station.
class SpectrumMode {
public:
    SpectrumMode(AppContext& ctx, ProbeIo& io, RunView& view);

    void setView(RunView& view) { view_ = &view; }
    // The acquisition that makes the sweeps; without one nothing is swept.
    void setRunner(SweepRunner* runner) { runner_ = runner; }
    SweepRunner* runner() const { return runner_; }

    // Starts the bookkeeping of a run: every station is due, no bar is shown.
    void begin(const SpectrumModeSettings& s, const RunStations& stations, bool listMode);

    SweepCode EseguiSpettroConContLim(int slot, float maxE, float maxH);
    SweepCode EseguiSpettroSenzaContLim(int slot);
    // One sweep of field (0 E, 1 H) of the station whose port is open.
    SweepOutcome EseguiSingoloSpettro(int slot, int field, bool limitCheck);

    // The turn after each List Mode report of `run`; may raise the stop request.
    void ControlloSpectrumMode(ListModeRun& run);
    // Spectrum Mode alone, until a stop request.
    void EseguiSoloSM(const SpectrumModeSettings& s, const RunStations& stations);
    // The single sweep of one station (port `comm`) outside a run; false when nothing was
    // swept (no runner, a run in progress, no answer, stopped).
    bool sweepOneStation(const SpectrumModeSettings& s, int slot, int comm);

    const std::array<SpectrumModeStation, kStationCount>& stations() const { return st_; }
    int rate() const { return rate_; }
    bool running() const { return running_; }

    // Refreshes the wait bars of the inhibited stations.
    void AgiornaPBRateSM();

private:
    SweepCode sweepStation(int slot, bool eDue, bool hDue, bool limitCheck);
    bool openStation(int slot, int comm);
    void counted(int slot);
    void showBar(int slot, double remaining);
    // Waits until the first inhibited station is due again, refreshing the bars every second;
    // returns at once when none is inhibited.
    // Returns false when no station waits.
    bool delayPBSoloSM();
    void endSoloRun();

    AppContext& ctx_;
    ProbeIo& io_;
    RunView* view_;
    SweepRunner* runner_ = nullptr;
    SpectrumModeSettings s_;
    RunStations stations_{};
    std::array<SpectrumModeStation, kStationCount> st_;
    int rate_ = 600;
    bool listMode_ = true;
    bool inhibitColumn_ = false;
    QList<Column> listColumns_;
    bool running_ = false;
    int sweptFields_ = 0; // sweeps made by the last station turn
};
