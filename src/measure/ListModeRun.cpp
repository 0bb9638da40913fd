#include "measure/ListModeRun.h"

#include "app/AppContext.h"
#include "measure/ListReport.h"
#include "measure/ProbeIo.h"
#include "measure/RunView.h"
#include "measure/TableScan.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {
constexpr quint32 kRed = 255;
constexpr quint32 kGreen = 65280;
constexpr quint32 kWhite = 16777215;
// The delay's bar colours.
constexpr std::array<quint32, 5> kDelayColours{33023, 12640511, 16777215, 8438015, 16512};
} // namespace

ListModeRun::ListModeRun(AppContext& ctx, ProbeIo& io, RunView& view)
    : ctx_(ctx), io_(io), view_(&view) {}

void ListModeRun::setView(RunView& view) {
    if (!st_.InEsecuzione) view_ = &view;
}

void ListModeRun::CMBStop() {
    ctx_.flags.StopRequest = true;
}

void ListModeRun::EseguiSoloLMoLMeSM(const RunSettings& settings, const TableRows& table,
                                     const RunStations& stations) {
    if (st_.InEsecuzione) return;
    s_ = settings;
    table_ = table;
    stations_ = stations;
    freshStart();
    while (true) {
        ctx_.testDirs.SetTestDate();
        if (st_.NuovoPeriodo) startPeriod();
        st_.RigaCorrente = 1;
        st_.NumCentVisitate = 0;
        for (int slot = 0; slot < kStationCount; ++slot) {
            ctx_.pump.processEvents();
            if (ctx_.flags.StopRequest) break;
            if (!stations_[slot].presentAndSelected()) {
                ++st_.RigaCorrente;
                continue;
            }
            visitStation(slot);
            showExposure(slot);
            afterVisit(slot);
            if (ctx_.flags.StopRequest) break;
            ++st_.RigaCorrente;
            if (st_.periodEnd->expired()) break;
        }
        if (!endOfPass()) return;
    }
}

void ListModeRun::freshStart() {
    st_ = StatoCiclo{};
    st_.fieldLog = FieldLogSelection(ctx_.switches.commandLine());
    passes_ = 0;
    ctx_.eventLog.write(false, QStringLiteral("Scan Start (List Mode)"));
    view_->lockForRun();
    st_.InEsecuzione = true;
    ctx_.flags.MeasurementRunning = true;
    io_.setLinkTimeEnabled(true);
    QDir().mkpath(ctx_.path(QStringLiteral("Test")));

    bool first = true;
    for (const TableRow& row : table_) {
        if (row.frequency == 0.0) continue;
        st_.freqColumn.TrovaCMaxIntDec(row.frequency, !first);
        first = false;
        ++st_.NumFreq;
    }
    for (int i = 0; i < kStationCount; ++i) {
        if (stations_[i].presentAndSelected()) {
            st_.UltimaCentSel = i;
            ++st_.NumCentSel;
        }
    }
    st_.periodLength = double(std::max(1, s_.listModeRate)) * 60.0;
    st_.NuovoPeriodo = true;
    st_.PrimaScansione = true;
    st_.RBWCorrente = -1;

    QList<Column> columns = runColumns(s_, false);
    if (exposure.table) columns << Column::Exposure;
    view_->insertRunColumns(columns);
    if (!exposure.problem.isEmpty())
        ctx_.eventLog.write(false, QStringLiteral("Exposure not evaluated: ") + exposure.problem);
    // Serial numbers are read again in every run.
    for (int i = 0; i < kStationCount; ++i) {
        if (stations_[i].comm != 0) view_->setSerialCell(i, QString());
    }
    st_.PollingVerificato = false;
    view_->showPollingLabel(QStringLiteral("Please Wait for\rPolling Time"), kRed, kWhite, 0);
}

void ListModeRun::startPeriod() {
    st_.NuovoPeriodo = false;
    for (ReportStation& rs : st_.stations)
        rs.firstReading = QDateTime();
    st_.NumCiclo = 1;
    st_.DatiCampoCent = DatiStazioni{};
    st_.UltimiDatiCompleti = DatiStazioni{};
    st_.periodEnd = std::make_shared<Deadline>(ctx_.clock, st_.periodLength);
    st_.DataPeriodo = ctx_.clock.today();

    st_.stationWait = WaitBar{};
    st_.stationWait.visible = true;
    st_.stationWait.maximum = std::max(0, st_.NumFreq - 1);
    view_->setStationWait(st_.stationWait);
    st_.rateWait = WaitBar{};
    st_.rateWait.visible = true;
    st_.rateWait.maximum = int(std::lround(st_.periodLength));
    view_->setRateWait(st_.rateWait);
    st_.Accumula = false;
}

void ListModeRun::visitStation(int slot) {
    ReportStation& rs = st_.stations[slot];
    st_.CentCorrente = slot;
    st_.RigaCorrente = slot + 1;
    io_.setCurrentStation(slot, rs.serial);
    st_.stationWait.value = 0;
    view_->setStationWait(st_.stationWait);
    if (st_.RigaEvidenziata != slot + 1) {
        view_->highlightStation(slot);
        st_.RigaEvidenziata = slot + 1;
    }
    if (!rs.firstReading.isValid()) rs.firstReading = ctx_.clock.now();

    io_.CloseStationPort();
    io_.OpenStationPort(stations_[slot].comm);

    // The first failure of the visit is told to the view, in the event log's words; later
    // ones mostly follow from it.
    bool told = false;
    auto tellFailure = [&](const QString& detail = {}) {
        if (told || ctx_.flags.StopRequest || !io_.linkFailed(slot)) return;
        told = true;
        const QString reason = ctx_.eventLog.lastFailure();
        view_->visitFailed(slot,
                           (reason.isEmpty() ? QStringLiteral("no answer") : reason) + detail);
    };
    tellFailure();

    bool scan = false;
    if (!io_.linkFailed(slot) && !ctx_.flags.StopRequest) {
        if (!rs.serial.isEmpty()) {
            scan = true;
        } else {
            const QString serial = io_.ReadSerialNumber();
            // A refused serial number never reaches the grid nor becomes a folder name; the
            // station is asked again at the next pass.
            if (io_.isValidSerialNumber(serial)) {
                rs.serial = serial;
                view_->setSerialCell(slot, serial);
                io_.setCurrentStation(slot, serial);
            } else {
                tellFailure(serial.isEmpty() ? QString()
                                             : QStringLiteral(" (serial number refused)"));
            }
            rs.firmware = io_.ReadFirmwareRelease();
            tellFailure();
            scan = !rs.firmware.isEmpty() || !io_.linkFailed(slot);
        }
    }
    if (scan && !ctx_.flags.StopRequest) {
        io_.ReadBattery(slot);
        tellFailure();
        TableScan scanner(ctx_, io_, *view_, s_, table_, st_);
        if (scanner.ScandisciFreqListMode(slot)) ++st_.DatiCampoCent[slot].NumLetture;
        tellFailure();
    }
    // A station that could not be opened or did not answer before its scan is passed over
    // at once: the delay gives a probe time after its readings, not a dead port.
    if (scan && ctx_.switches.delaySc() > 0 && !ctx_.flags.StopRequest) delayBetweenStations(slot);
}

void ListModeRun::delayBetweenStations(int slot) {
    const int delay = ctx_.switches.delaySc();
    if (io_.commError()) io_.CloseStationPort();
    const WaitBar saved = st_.stationWait;
    WaitBar bar = saved;
    bar.visible = true;
    bar.minimum = 0;
    bar.maximum = delay;
    bar.value = delay;
    bar.colours = kDelayColours;
    bar.customColours = true;
    st_.stationWait = bar;
    view_->setStationWait(bar);

    // The delay timer, modelled as a wait through the pump: the window stays responsive and
    // a stop request ends the delay at once.
    delayRunning_ = true;
    st_.Ripresa = 1; // what follows the delay is a resumption of the visit
    Deadline end(ctx_.clock, delay);
    const double step = delay / 100.0;
    std::optional<Deadline> tick(std::in_place, ctx_.clock, step);
    while (!ctx_.flags.StopRequest && !end.expired()) {
        // Sleeps until the bar's next step, the end of the delay or an event (Stop).
        ctx_.pump.pump(tick->remaining() < end.remaining() ? *tick : end);
        if (tick->expired()) {
            st_.stationWait.value =
                int(std::clamp<double>(std::ceil(end.remaining()), 0.0, double(delay)));
            view_->setStationWait(st_.stationWait);
            tick.emplace(ctx_.clock, step);
        }
    }
    delayRunning_ = false;

    // Re-entry after the delay (TimerDelaySCP, or CMBStop during the delay).
    st_.Ripresa = 0;
    if (io_.commError()) {
        io_.setCommError(false);
        io_.setCurrentStation(slot, st_.stations[slot].serial);
        io_.OpenStationPort(stations_[slot].comm);
    }
    st_.stationWait = saved;
    view_->setStationWait(saved);
}

void ListModeRun::afterVisit(int slot) {
    if (stationVisited) stationVisited(slot);
    ctx_.WaitSeconds(1.0);
    CancellaColCampoEH(*view_, s_, slot);
    if (!ctx_.flags.StopRequest) ++st_.NumCentVisitate;
}

void ListModeRun::MemorizzaUltimiDatiCompleti(int numFreq) {
    for (int i = 0; i < kStationCount; ++i) {
        if (stations_[i].presentAndSelected() && numFreq > 0 &&
            ControllaDatiCompleti(st_.DatiCampoCent[i], table_) == numFreq)
            st_.UltimiDatiCompleti[i] = st_.DatiCampoCent[i];
    }
}

bool ListModeRun::endOfPass() {
    ++passes_;
    if (passEnded) passEnded(passes_);
    if (!st_.PollingVerificato && !ctx_.flags.StopRequest) {
        st_.PollingVerificato = true;
        if (st_.NumCentVisitate >= st_.NumCentSel) {
            view_->showPollingLabel(QStringLiteral("Polling Time OK"), kGreen, kWhite, 1500);
        } else {
            view_->message(QStringLiteral("Table mode rate lower than polling time!"),
                           MessageIcon::Exclamation);
            ctx_.flags.StopRequest = true;
        }
    }
    MemorizzaUltimiDatiCompleti(st_.NumFreq);
    st_.Accumula = true;
    st_.periodEnd->applyMidnightRule();
    const bool periodOver = st_.periodEnd->expired();
    bool lastPeriod = false;
    if (periodOver) {
        ++st_.periodsCompleted;
        lastPeriod = maxPeriods > 0 && st_.periodsCompleted >= maxPeriods;
    }
    if (periodOver || ctx_.flags.StopRequest) {
        // The report shows the last complete data of each station, never a table that a
        // failure or a stop left half read.
        st_.DatiCampoCent = st_.UltimiDatiCompleti;
        st_.NuovoPeriodo = true;
        const bool stopped = ctx_.flags.StopRequest;
        QStringList unwritten;
        const bool goOn = ListReport::StampaReportListMode(
            ctx_.testDirs, s_, table_, st_.freqColumn, stations_, st_.DatiCampoCent, st_.stations,
            stopped || lastPeriod, &unwritten);
        // The run goes on; the next period's report is written once there is room again.
        for (const QString& serial : unwritten)
            ctx_.eventLog.write(true, QStringLiteral("Report not written"),
                                QStringLiteral("\t(") + serial + QLatin1Char(')'));
        recordResults();
        st_.stationWait.visible = false;
        view_->setStationWait(st_.stationWait);
        st_.rateWait.visible = false;
        view_->setRateWait(st_.rateWait);
        // The last of a limited number of periods still gets its Spectrum Mode turn.
        if ((goOn || (lastPeriod && !stopped)) && s_.spectrumModeOn && spectrumModeTurn)
            spectrumModeTurn(*this);
        if (!goOn) {
            endOfRun();
            return false;
        }
    }
    ++st_.NumCiclo;
    return true;
}

void ListModeRun::endOfRun() {
    io_.CloseStationPort();
    view_->unlockAfterRun();
    view_->restoreWindowCaption();
    io_.clearAllLinkFailed();
    if (st_.UltimaCentSel >= 0) view_->highlightStation(st_.UltimaCentSel);
    view_->restoreGrid();
    st_.InEsecuzione = false;
    ctx_.flags.MeasurementRunning = false;
    ctx_.flags.StopRequest = false;
    ctx_.flags.SweepStop = false;
    ctx_.eventLog.write(false, QStringLiteral("Scan Close (List Mode)"));
    if (ctx_.flags.ExitRequest) view_->shutdownRequested();
}

// Beside the reports: each station's period as CSV rows and its exposure totals.
void ListModeRun::recordResults() {
    const auto results =
        ResultsCsv::recordPeriod(ctx_.testDirs, s_, table_, stations_, st_.DatiCampoCent,
                                 st_.stations, exposure, ctx_.clock.now());
    for (const StationPeriodResult& r : results) {
        if (!r.csvProblem.isEmpty()) ctx_.eventLog.write(false, r.csvProblem);
    }
    if (periodResults) periodResults(results);
}

// The station's exposure of the period so far, from the rows it has read.
void ListModeRun::showExposure(int slot) {
    if (!exposure.table) return;
    const DatiCentralina& d = st_.DatiCampoCent[slot];
    TableRows read{};
    for (size_t i = 0; i < table_.size(); ++i) {
        if (d.rows[i].NumSomme > 0) read[i] = table_[i];
    }
    const PeriodExposure x =
        evaluateExposure(*exposure.table, ResultsCsv::exposureLines(s_, read, d));
    const auto total = x.total();
    view_->setFieldCell(slot, Column::Exposure, exposureCellText(total),
                        exposureCellColour(total, exposure.choice.alarmPercent));
}
