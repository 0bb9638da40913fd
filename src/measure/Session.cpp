#include "measure/Session.h"

#include "app/AppContext.h"
#include "freqtable/FreqTableFile.h"
#include "freqtable/RbwCoupling.h"
#include "measure/NumberFormat.h"
#include "panel/RangeCheck.h"

Session::Session(AppContext& ctx, SettingsRecord& settings, SerialChannel& channel)
    : ctx_(ctx), panel_(ctx, settings), link_(ctx, channel), io_(link_),
      nullView_(std::make_unique<NullRunView>()), view_(nullView_.get()), run_(ctx, io_, *view_),
      spectrum_(ctx, io_, *view_) {
    run_.spectrumModeTurn = [this](ListModeRun& run) { spectrum_.ControlloSpectrumMode(run); };
    run_.stationVisited = [this](int) { spectrum_.AgiornaPBRateSM(); };
}

void Session::setRunView(RunView* view) {
    if (run_.running()) return;
    if (spectrum_.running()) return;
    view_ = view ? view : nullView_.get();
    run_.setView(*view_);
    spectrum_.setView(*view_);
}

bool Session::loadFreqTable() {
    table_ = FreqTable{};
    const QString path = FreqTableFile::find(ctx_.appDir, panel_.panel().freqTableNameText());
    if (path.isEmpty()) return false;
    return FreqTableFile::read(path, table_) == FreqTableFile::ReadResult::Loaded;
}

Session::ExecuteResult Session::CMBExecute(QString* why) {
    if (running()) return ExecuteResult::Refused;
    panel_.evaluateChecks();
    if (!panel_.checks().canExecute()) {
        if (why) *why = panel_.statusText();
        return ExecuteResult::Refused;
    }
    loadFreqTable();
    const PanelRecord& p = panel_.panel();
    if (const auto bad =
            ControllaMinUsableFreq(table_, p.ListModeOn != 0, p.ListModeFields, ctx_.switches)) {
        const QString text = RangeCheck::message(*bad);
        view_->message(text, MessageIcon::Exclamation);
        if (why) *why = text;
        return ExecuteResult::Refused;
    }
    link_.setCommError(false);
    panel_.store();
    // A sweep stop left raised (by "Exit" in review) must not stop this run.
    ctx_.flags.SweepStop = false;

    if (p.ListModeOn != 0) {
        ctx_.flags.StopRequest = false;
        run_.exposure = ExposureChoiceFile::forPanel(ctx_.appDir, panel_.currentPanelPath());
        spectrum_.begin(SpectrumModeSettings::from(p), runStationsFrom(p), true);
        run_.EseguiSoloLMoLMeSM(runSettingsFrom(p), tableRowsFrom(table_, ctx_.switches),
                                runStationsFrom(p));
        return ExecuteResult::ListModeRun;
    }
    if (p.SpectrumModeOn != 0 && spectrumOnlyRun) {
        spectrumOnlyRun(*this);
        return ExecuteResult::SpectrumOnly;
    }
    if (p.SpectrumModeOn != 0 && spectrum_.runner()) {
        spectrum_.EseguiSoloSM(SpectrumModeSettings::from(p), runStationsFrom(p));
        return ExecuteResult::SpectrumOnly;
    }
    return ExecuteResult::NothingToRun;
}

bool Session::CMBEseguiSpettroSingCent(int slot) {
    if (running() || ctx_.flags.MeasurementRunning) return false;
    if (slot < 0 || slot >= kStationCount) return false;
    const PanelRecord& p = panel_.panel();
    if (!p.Stations[slot].inUse() || !p.Stations[slot].isEnabled()) return false;
    panel_.store();
    return spectrum_.sweepOneStation(SpectrumModeSettings::from(p), slot, p.Stations[slot].Comm);
}

void Session::CMBStop() {
    run_.CMBStop();
}

RunSettings Session::runSettingsFrom(const PanelRecord& p) {
    RunSettings s;
    s.listModeOn = p.ListModeOn != 0;
    s.spectrumModeOn = p.SpectrumModeOn != 0;
    s.spectrumRateOn = p.SpectrumRateOn != 0;
    s.listModeRate = std::clamp<int>(p.ListModeRate, 1, 1440);
    for (int i = 0; i < 3; ++i)
        s.listModeFields[i] = p.ListModeFields[i] != 0;
    s.detectorIndex = p.DetectorIndex == 1 ? 1 : 0;
    s.thresholdE = p.SpectrumModeThresholds[0];
    s.thresholdH = p.SpectrumModeThresholds[1];
    s.separatorIndex = std::clamp<int>(p.SeparatorIndex, 0, 2);
    s.preamplifierOn = p.PreamplifierOn != 0;
    return s;
}

RunStations Session::runStationsFrom(const PanelRecord& p) {
    RunStations out{};
    for (int i = 0; i < kStationCount; ++i)
        out[i] = {p.Stations[i].Comm, p.Stations[i].isEnabled()};
    return out;
}

TableRows Session::tableRowsFrom(const FreqTable& table, const Switches& switches) {
    TableRows out{};
    for (int i = 0; i < FreqTable::RowCount; ++i) {
        FreqTableRow row = table.rows[i];
        if (!row.inUse()) continue;
        coupleRbw(row, switches);
        out[i] = {row.Freq, std::clamp<int>(row.RbwIndex, 0, 5)};
    }
    return out;
}

namespace {
// "  21.4 %" or "   n/e  " where the table gives no level (not evaluated).
QString rowPercent(const LimitTable& t, LimitField field, double frequency, float value) {
    const auto level = t.referenceLevel(field, frequency);
    if (!level) return QStringLiteral("   n/e  ");
    return (QString::number(double(value) / *level * 100.0, 'f', 1) + QStringLiteral(" %"))
        .rightJustified(8);
}
} // namespace

QStringList Session::fieldListLines(int slot, bool hColumn) const {
    if (slot < 0 || slot >= kStationCount) return {};
    const StatoCiclo& st = run_.state();
    const RunSettings& s = run_.settings();
    const FieldSelection f = FieldSelection::from(s);
    if (hColumn ? !f.h() : !f.e) return {};
    const int intDigits = st.freqColumn.maxIntDigits();
    const int decDigits = st.freqColumn.maxDecDigits();
    const int freqWidth = intDigits + decDigits + 3;
    QStringList lines;
    // With a limit table each row also shows its share of the reference level there.
    const std::optional<LimitTable>& limits = run_.exposure.table;
    const LimitField field = hColumn ? LimitField::H : LimitField::E;
    lines << QStringLiteral("MHz").rightJustified(intDigits + 2).leftJustified(freqWidth) +
                 QLatin1Char(' ') +
                 (hColumn ? QStringLiteral("A/m") : QStringLiteral("V/m")).rightJustified(6) +
                 (limits ? QStringLiteral("        %") : QString());
    const DatiCentralina& d = st.DatiCampoCent[slot];
    const TableRows& table = run_.table();
    for (int i = 0; i < kTableRows; ++i) {
        if (table[i].frequency == 0.0 || !d.rows[i].DatoValido) continue;
        const EvaluatedFields& shown = d.rows[i].shown;
        lines << FormattaSTConSpazi(shortestText(table[i].frequency), intDigits, decDigits) +
                     QLatin1Char(' ') +
                     FormattaSTConSpazi(fieldText(hColumn ? shown.h : shown.e).trimmed(), 3, 4) +
                     (limits ? rowPercent(*limits, field, table[i].frequency,
                                          (hColumn ? shown.h : shown.e).value)
                             : QString());
    }
    return lines;
}

QString Session::firmwareTooltip(int slot) const {
    if (slot < 0 || slot >= kStationCount) return {};
    const QString fw = run_.state().stations[slot].firmware;
    return fw.isEmpty() ? QString() : QStringLiteral("Rel. FW: ") + fw;
}
