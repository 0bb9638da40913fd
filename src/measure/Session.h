#pragma once

#include "freqtable/FreqTable.h"
#include "link/ProbeLink.h"
#include "measure/LinkProbeIo.h"
#include "measure/ListModeRun.h"
#include "measure/RunSettings.h"
#include "measure/RunView.h"
#include "measure/SpectrumMode.h"
#include "panel/PanelModel.h"

#include <QString>
#include <QStringList>
#include <functional>

class AppContext;
class SerialChannel;
struct SettingsRecord;

// Everything a measurement run works on, passed by reference: the application context, the
// current panel, the current frequency table, the probe link and the List Mode run.
class Session {
public:
    Session(AppContext& ctx, SettingsRecord& settings, SerialChannel& channel);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    AppContext& context() { return ctx_; }
    PanelModel& panelModel() { return panel_; }
    const PanelModel& panelModel() const { return panel_; }
    FreqTable& freqTable() { return table_; }
    ProbeLink& link() { return link_; }
    ListModeRun& run() { return run_; }
    const ListModeRun& run() const { return run_; }
    SpectrumMode& spectrumMode() { return spectrum_; }
    const SpectrumMode& spectrumMode() const { return spectrum_; }

    // The acquisition that makes every sweep (built by whoever assembles the program, since
    // it belongs to the spectrum layer). Without one Spectrum Mode sweeps nothing.
    void setSweepRunner(SweepRunner* runner) { spectrum_.setRunner(runner); }

    // The window side. Without a run view the run shows nothing.
    void setRunView(RunView* view);
    void setLinkView(LinkView* view) { link_.setView(view); }

    // Reads the current panel's table file into freqTable(); false when it is missing or
    // unreadable (the table is then empty).
    bool loadFreqTable();

    enum class ExecuteResult {
        ListModeRun,  // a List Mode run took place and has ended
        SpectrumOnly, // Spectrum Mode alone was handed to spectrumOnlyRun
        Refused,      // the panel checks or the range check refused the start
        NothingToRun, // neither mode is on, or Spectrum Mode alone with nobody to run it
    };
    // Starts a run and returns when it has ended. A refusal says why in *why (the status
    // text or the range message; the range message is also shown as a message box).
    ExecuteResult CMBExecute(QString* why = nullptr);
    // Requests the running run to stop.
    void CMBStop();
    bool running() const { return run_.running() || spectrum_.running(); }

    // The single sweep of the station in `slot` (CMBEseguiSpettroSingCent): ignored during a
    // run; saves the panel, reads the serial number, sweeps the Spectrum Mode fields and
    // closes the port. True when the sweeps were made.
    bool CMBEseguiSpettroSingCent(int slot);

    // Replaces the program's own Spectrum Mode-only run when set.
    std::function<void(Session&)> spectrumOnlyRun;

    // The field list of a station's E column (hColumn false) or H column: the unit headings,
    // then one line per table row read so far, frequency and value aligned.
    QStringList fieldListLines(int slot, bool hColumn) const;
    // "Rel. FW: " + release over a station's serial-number cell; empty when unknown.
    QString firmwareTooltip(int slot) const;

    static RunSettings runSettingsFrom(const PanelRecord& panel);
    static RunStations runStationsFrom(const PanelRecord& panel);
    // The table as the run sends it: rows in use with the RBW limited by frequency.
    static TableRows tableRowsFrom(const FreqTable& table, const Switches& switches);

private:
    AppContext& ctx_;
    PanelModel panel_;
    FreqTable table_;
    ProbeLink link_;
    LinkProbeIo io_;
    std::unique_ptr<RunView> nullView_;
    RunView* view_;
    ListModeRun run_;
    SpectrumMode spectrum_;
};
