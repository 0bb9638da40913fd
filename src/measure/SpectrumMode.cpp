#include "measure/SpectrumMode.h"

#include "app/AppContext.h"
#include "app/Deadline.h"
#include "app/Format.h"
#include "app/ValueLists.h"
#include "measure/FieldData.h"
#include "measure/ListModeRun.h"
#include "measure/ProbeIo.h"
#include "measure/TableScan.h"
#include "panel/PanelRecord.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kRateCount = 11;
} // namespace

SpectrumModeSettings SpectrumModeSettings::from(const PanelRecord& p) {
    SpectrumModeSettings s;
    s.rateOn = p.SpectrumRateOn != 0;
    s.rateIndex = std::clamp<int>(p.SpectrumModeRateIndex, 0, kRateCount - 1);
    s.fields = {p.SpectrumModeFields[0] != 0, p.SpectrumModeFields[1] != 0};
    s.thresholds = {p.SpectrumModeThresholds[0], p.SpectrumModeThresholds[1]};
    s.fStart = p.SpectrumStartFrequency;
    s.fStop = p.SpectrumStopFrequency;
    s.rbwIndex = std::clamp<int>(p.SpectrumRBWIndex, 0, 5);
    s.preamp = p.PreamplifierOn != 0;
    s.hFieldType = p.ListModeFields[FieldHModeA] != 0 ? 1 : 2;
    s.separatorIndex = std::clamp<int>(p.SeparatorIndex, 0, 2);
    s.saveBitmap = p.SaveImage[0] != 0;
    s.saveJpeg = p.SaveImage[1] != 0;
    s.jpegQuality = std::clamp<int>(p.ImageQuality, 0, 100);
    return s;
}

int DeterminaRateSM(int rateIndex, const Switches& switches, bool listMode) {
    if (listMode) {
        const int minutes = switches.rateHours();
        if (minutes > 0) return minutes * 60;
    }
    return ValueLists::rateMinutes(std::clamp(rateIndex, 0, kRateCount - 1)) * 60;
}

SpectrumMode::SpectrumMode(AppContext& ctx, ProbeIo& io, RunView& view)
    : ctx_(ctx), io_(io), view_(&view) {}

void SpectrumMode::begin(const SpectrumModeSettings& s, const RunStations& stations,
                         bool listMode) {
    s_ = s;
    stations_ = stations;
    listMode_ = listMode;
    rate_ = DeterminaRateSM(s.rateIndex, ctx_.switches, listMode);
    st_ = {};
    inhibitColumn_ = false;
    // A sweep stop left raised (by "Exit" in review) must not stop this run.
    ctx_.flags.SweepStop = false;
}

bool SpectrumMode::openStation(int slot, int comm) {
    io_.setCurrentStation(slot, st_[slot].serial);
    io_.CloseStationPort();
    io_.OpenStationPort(comm);
    if (io_.linkFailed(slot)) return false;
    // The files are named after the serial number read from the probe, never another text.
    if (st_[slot].serial.isEmpty()) {
        const QString serial = io_.ReadSerialNumber();
        if (!io_.isValidSerialNumber(serial)) return false;
        st_[slot].serial = serial;
        view_->setSerialCell(slot, serial);
        io_.setCurrentStation(slot, serial);
    }
    return !io_.linkFailed(slot);
}

SweepOutcome SpectrumMode::EseguiSingoloSpettro(int slot, int field, bool limitCheck) {
    if (!runner_) return SweepOutcome::Failed;
    SweepSettings sweep;
    sweep.setRange(s_.fStart, s_.fStop);
    sweep.RbwIndex = qint16(s_.rbwIndex);
    sweep.SweepField = qint16(field);
    sweep.limitCheck = limitCheck;
    AcquisitionRecord record;
    record.stationId = st_[slot].serial;
    record.spectrumCount = st_[slot].count;
    if (!limitCheck && s_.rateOn) record.rateText = ValueLists::rateNames().value(s_.rateIndex);
    record.thresholds = s_.thresholds;
    record.separatorIndex = s_.separatorIndex;
    record.saveBitmap = s_.saveBitmap;
    record.saveJpeg = s_.saveJpeg;
    record.jpegQuality = s_.jpegQuality;
    record.unitCode = field == 0 ? 0 : 10;
    SweepChoice choice;
    choice.fieldType = field == 0 ? 0 : s_.hFieldType;
    choice.preamp = s_.preamp;
    const SweepOutcome outcome = runner_->runAcquisition(slot, sweep, record, choice);
    SpectrumSweepUpdate update;
    update.slot = slot;
    update.serial = st_[slot].serial;
    update.field = field;
    update.outcome = outcome;
    update.startTime = record.timeText;
    view_->spectrumSwept(update);
    return outcome;
}

SweepCode SpectrumMode::sweepStation(int slot, bool eDue, bool hDue, bool limitCheck) {
    ctx_.testDirs.SetTestDate();
    sweptFields_ = 0;
    if (!eDue && !hDue) return SweepCode::Nothing;
    if (ctx_.flags.StopRequest || ctx_.flags.SweepStop) return SweepCode::Aborted;
    if (!openStation(slot, stations_[slot].comm)) return SweepCode::NoResponse;
    bool made = false;
    for (int field = 0; field < 2; ++field) {
        if (!(field == 0 ? eDue : hDue)) continue;
        // A stop between E and H is honoured before the second sweep starts.
        if (ctx_.flags.StopRequest || ctx_.flags.SweepStop) return SweepCode::Aborted;
        const SweepOutcome o = EseguiSingoloSpettro(slot, field, limitCheck);
        if (o == SweepOutcome::ManualStop) return SweepCode::Aborted;
        if (o != SweepOutcome::Done) return made ? SweepCode::Swept : SweepCode::NoResponse;
        made = true;
        ++sweptFields_;
    }
    return limitCheck ? SweepCode::Swept : SweepCode::Nothing;
}

SweepCode SpectrumMode::EseguiSpettroConContLim(int slot, float maxE, float maxH) {
    const bool eDue = s_.fields[0] && double(maxE) >= double(s_.thresholds[0]);
    const bool hDue = s_.fields[1] && double(maxH) >= double(s_.thresholds[1]);
    return sweepStation(slot, eDue, hDue, true);
}

SweepCode SpectrumMode::EseguiSpettroSenzaContLim(int slot) {
    return sweepStation(slot, s_.fields[0], s_.fields[1], false);
}

void SpectrumMode::counted(int slot) {
    SpectrumModeStation& st = st_[slot];
    ++st.count;
    st.lastSweep = ctx_.clock.now();
    // The inhibit time counts from the end of the sweep, on the midnight-safe clock.
    st.next = std::make_shared<Deadline>(ctx_.clock, double(rate_));
    if (listMode_ && !inhibitColumn_) {
        inhibitColumn_ = true;
        view_->insertRunColumns(listColumns_);
    }
    showBar(slot, double(rate_));
}

void SpectrumMode::showBar(int slot, double remaining) {
    WaitBar& bar = st_[slot].bar;
    bar.visible = true;
    bar.minimum = 0;
    bar.maximum = rate_;
    bar.value = int(std::clamp<double>(std::ceil(remaining), 0.0, double(rate_)));
    bar.caption = FormatSeconds(std::max(0.0, remaining));
    view_->setSpectrumWait(slot, bar);
}

void SpectrumMode::AgiornaPBRateSM() {
    for (int i = 0; i < kStationCount; ++i) {
        SpectrumModeStation& st = st_[i];
        if (!st.next || !st.bar.visible || !stations_[i].presentAndSelected()) continue;
        const double left = std::max(0.0, st.next->remaining());
        const WaitBar before = st.bar;
        st.bar.value = int(std::clamp<double>(std::ceil(left), 0.0, double(rate_)));
        st.bar.caption = FormatSeconds(left);
        if (!(before == st.bar)) view_->setSpectrumWait(i, st.bar);
    }
}

void SpectrumMode::ControlloSpectrumMode(ListModeRun& run) {
    // Without an acquisition there is nothing to sweep: no port is opened for it.
    if (!run.settings().spectrumModeOn || !runner_) return;
    stations_ = run.stations();
    listColumns_ = runColumns(run.settings(), true);
    const StatoCiclo& cycle = run.state();
    const TableRows& table = run.table();
    const int rowsInUse = countRowsInUse(table);
    for (int slot = 0; slot < kStationCount; ++slot) {
        ctx_.pump.processEvents();
        if (ctx_.flags.StopRequest) return;
        if (!stations_[slot].presentAndSelected()) continue;
        SpectrumModeStation& st = st_[slot];
        if (st.next && !st.next->expired()) continue;
        const QString serial = cycle.stations[slot].serial;
        if (serial.isEmpty()) continue; // never answered in this run
        st.serial = serial;

        SweepCode code;
        if (s_.rateOn) {
            code = EseguiSpettroSenzaContLim(slot);
        } else {
            // The largest means of the period as the report printed them: a block is printed
            // only when the station read the whole table, and then its marks are these.
            const DatiCentralina& d = cycle.DatiCampoCent[slot];
            if (rowsInUse == 0 || ControllaDatiCompleti(d, table) != rowsInUse) continue;
            float maxE = 0, maxH = 0;
            for (int i = 0; i < kTableRows; ++i) {
                if (table[i].frequency == 0.0) continue;
                maxE = std::max(maxE, d.rows[i].mean.e.value);
                maxH = std::max(maxH, d.rows[i].mean.h.value);
            }
            code = EseguiSpettroConContLim(slot, maxE, maxH);
        }
        if (code == SweepCode::Aborted) {
            ctx_.flags.StopRequest = true;
            return;
        }
        // Only sweeps actually made count and start the inhibit time.
        if (sweptFields_ > 0 &&
            (code == SweepCode::Swept || (s_.rateOn && code == SweepCode::Nothing))) {
            counted(slot);
            // The sweep left its own RBW in the probe.
            run.state().forceRbw = true;
        }
    }
}

bool SpectrumMode::delayPBSoloSM() {
    int first = -1;
    double soonest = 0;
    for (int i = 0; i < kStationCount; ++i) {
        if (!stations_[i].presentAndSelected() || !st_[i].next) continue;
        const double left = st_[i].next->remaining();
        if (left <= 0) return true; // one is due already
        if (first < 0 || left < soonest) {
            first = i;
            soonest = left;
        }
    }
    if (first < 0) return false;
    std::shared_ptr<Deadline> end = st_[first].next;
    std::shared_ptr<Deadline> tick = std::make_shared<Deadline>(ctx_.clock, 1.0);
    while (!ctx_.flags.StopRequest && !end->expired()) {
        // Wake for the bar's next step or the station's time, whichever comes first.
        ctx_.pump.pump(tick->remaining() < end->remaining() ? *tick : *end);
        if (tick->expired()) {
            AgiornaPBRateSM();
            tick = std::make_shared<Deadline>(ctx_.clock, 1.0);
        }
    }
    AgiornaPBRateSM();
    return true;
}

void SpectrumMode::EseguiSoloSM(const SpectrumModeSettings& s, const RunStations& stations) {
    if (running_) return;
    begin(s, stations, false);
    running_ = true;
    ctx_.flags.StopRequest = false;
    ctx_.flags.MeasurementRunning = true;
    ctx_.eventLog.write(false, QStringLiteral("Scan Start (Spectrum Mode)"));
    view_->lockForRun();
    io_.setLinkTimeEnabled(true);
    view_->insertRunColumns({Column::LastLinkTime, Column::Battery, Column::SpectrumInhibit});
    inhibitColumn_ = true;
    for (int i = 0; i < kStationCount; ++i)
        if (stations_[i].comm != 0) view_->setSerialCell(i, QString());

    int highlighted = -1;
    while (!ctx_.flags.StopRequest) {
        for (int slot = 0; slot < kStationCount; ++slot) {
            ctx_.pump.processEvents();
            if (ctx_.flags.StopRequest) break;
            if (!stations_[slot].presentAndSelected()) continue;
            SpectrumModeStation& st = st_[slot];
            // A station waits its rate between two of its sweeps; one that did not answer is
            // tried again at the next pass.
            if (st.next && !st.next->expired()) continue;
            if (highlighted != slot) {
                view_->highlightStation(slot);
                highlighted = slot;
            }
            const bool firstVisit = st.serial.isEmpty();
            if (!openStation(slot, stations_[slot].comm)) continue;
            if (firstVisit) {
                io_.ReadFirmwareRelease();
                if (io_.linkFailed(slot)) continue;
            }
            io_.ReadBattery(slot);
            if (io_.linkFailed(slot) || ctx_.flags.StopRequest) continue;
            const SweepCode code = EseguiSpettroSenzaContLim(slot);
            if (code == SweepCode::Aborted) {
                ctx_.flags.StopRequest = true;
                break;
            }
            if (code == SweepCode::Nothing && sweptFields_ > 0) counted(slot);
            AgiornaPBRateSM();
        }
        if (ctx_.flags.StopRequest) break;
        io_.CloseStationPort();
        // The next pass comes when the first waiting station is due; a station that did not
        // answer waits for no bar and is tried again then, or after a second when no station
        // waits at all.
        if (!delayPBSoloSM()) ctx_.WaitSeconds(1.0);
    }
    endSoloRun();
}

void SpectrumMode::endSoloRun() {
    io_.CloseStationPort();
    view_->unlockAfterRun();
    view_->restoreWindowCaption();
    io_.clearAllLinkFailed();
    view_->restoreGrid();
    running_ = false;
    ctx_.flags.MeasurementRunning = false;
    ctx_.flags.StopRequest = false;
    ctx_.flags.SweepStop = false;
    ctx_.eventLog.write(false, QStringLiteral("Scan Close (Spectrum Mode)"));
    if (ctx_.flags.ExitRequest) view_->shutdownRequested();
}

bool SpectrumMode::sweepOneStation(const SpectrumModeSettings& s, int slot, int comm) {
    if (running_ || ctx_.flags.MeasurementRunning || !runner_) return false;
    if (slot < 0 || slot >= kStationCount || comm == 0) return false;
    const int counts = st_[slot].count;
    RunStations only{};
    only[slot] = {comm, true};
    begin(s, only, false);
    st_[slot].count = counts;
    // The single sweep counts as a run: a close request waits for its end.
    running_ = true;
    ctx_.flags.MeasurementRunning = true;
    ctx_.flags.StopRequest = false;
    view_->highlightStation(slot);
    bool made = false;
    // The serial number is read from the probe every time (begin forgot it).
    if (openStation(slot, comm)) {
        io_.ReadFirmwareRelease();
        if (!io_.linkFailed(slot) && EseguiSpettroSenzaContLim(slot) == SweepCode::Nothing &&
            sweptFields_ > 0) {
            ++st_[slot].count;
            st_[slot].lastSweep = ctx_.clock.now();
            made = true;
        }
    }
    io_.CloseStationPort();
    io_.clearAllLinkFailed();
    running_ = false;
    ctx_.flags.MeasurementRunning = false;
    ctx_.flags.StopRequest = false;
    ctx_.flags.SweepStop = false;
    if (ctx_.flags.ExitRequest) view_->shutdownRequested();
    return made;
}
