#include "measure/TableScan.h"

#include "app/AppContext.h"
#include "app/Format.h"
#include "measure/NumberFormat.h"
#include "measure/ProbeIo.h"
#include "measure/RunView.h"

#include <algorithm>
#include <cmath>

TableScan::TableScan(AppContext& ctx, ProbeIo& io, RunView& view, const RunSettings& settings,
                     const TableRows& table, StatoCiclo& state)
    : ctx_(ctx), io_(io), view_(view), s_(settings), table_(table), st_(state),
      logEveryField_(ctx.switches.segnaTutto()), instantaneous_(ctx.switches.detCIst() != 0) {}

bool TableScan::failedOrStopped(int slot) const {
    return io_.linkFailed(slot) || ctx_.flags.StopRequest;
}

bool TableScan::ScandisciFreqListMode(int slot) {
    // Every station is a probe of its own: it gets the preamplifier setting and the RBW of
    // its first row whatever the previous station was sent.
    st_.PrimaScansione = false;
    io_.SetPreamplifier(s_.preamplifierOn);
    if (io_.linkFailed(slot)) return false;
    st_.RBWCorrente = -1;

    DatiCentralina& block = st_.DatiCampoCent[slot];
    for (LetturaFreq& r : block.rows)
        r.DatoValido = false;

    int k = 0;
    for (int row = 0; row < int(table_.size()); ++row) {
        const TableRow& tr = table_[row];
        if (tr.frequency == 0.0) continue;
        if (ctx_.flags.StopRequest) {
            io_.drainAndFlush();
            return false;
        }
        st_.stationWait.value = k;
        view_.setStationWait(st_.stationWait);

        const double remaining = st_.periodEnd ? st_.periodEnd->remaining() : 0.0;
        if (remaining < 0) {
            st_.rateWait.visible = false;
            view_.setRateWait(st_.rateWait);
        } else {
            st_.rateWait.visible = true;
            AggCapEValPBLM(remaining, st_.periodLength);
        }

        io_.SetFrequency(tr.frequency);
        if (failedOrStopped(slot)) return false;
        if (tr.rbw != st_.RBWCorrente || st_.forceRbw) {
            st_.RBWCorrente = tr.rbw;
            st_.forceRbw = false;
            io_.SetRbw(tr.rbw);
            if (failedOrStopped(slot)) return false;
        }
        if (!DeterminaCampoMZK450(slot, row, st_.Accumula, tr.frequency)) return false;
        VisualizzaColCampoEH(slot, row, tr.frequency);
        block.rows[row].DatoValido = true;
        ++k;
    }
    io_.drainAndFlush();
    return true;
}

bool TableScan::DeterminaCampoMZK450(int slot, int row, bool accumulate, double frequency) {
    const FieldSelection fields = FieldSelection::from(s_);
    const std::vector<ComponentSelect> components = componentsFor(fields);
    if (components.empty()) return false;
    LetturaFreq& rec = st_.DatiCampoCent[slot].rows[row];
    for (int pos = 0; pos < int(components.size()); ++pos) {
        const ComponentSelect& c = components[pos];
        io_.SelectComponent(c.command, c.name);
        if (failedOrStopped(slot)) return false;
        int mark = 0;
        QString label;
        if (!logEveryField_) {
            mark = st_.fieldLog.DeterminaFieldDaSegnare(c.name.toUpper(), frequency);
            if (mark != 0)
                label = QLatin1Char(' ') + shortestText(frequency) + QStringLiteral(" MHz");
        }
        const float value = io_.ReadField(c.name + label, mark != 0);
        // A reading cut short by a stop is no reading: it must not enter the sums.
        if (failedOrStopped(slot)) return false;
        storeComponent(rec, fields, pos, value);
    }
    updateAccumulators(rec, fields, s_.detectorIndex == 1, accumulate);
    evaluateRecord(rec, s_, instantaneous_);
    return true;
}

void TableScan::VisualizzaColCampoEH(int slot, int row, double frequency) {
    const LetturaFreq& rec = st_.DatiCampoCent[slot].rows[row];
    const int n = std::max<qint32>(1, rec.NumSomme);
    const FieldSelection f = FieldSelection::from(s_);
    const QString eText = f.e ? fieldText(rec.shown.e) : QString();
    const QString hText = f.h() ? fieldText(rec.shown.h) : QString();
    if (f.e) view_.setFieldCell(slot, Column::FieldE, eText, ImpostaColorCell(rec.shown.e));
    if (f.h()) view_.setFieldCell(slot, Column::FieldH, hText, ImpostaColorCell(rec.shown.h));

    const QString serial = st_.stations[slot].serial;
    const QString freqText = shortestText(frequency);
    QString caption = QStringLiteral("Station: ") + serial + QStringLiteral(" Reading : ") +
                      QString::number(n) + QStringLiteral(" Frequency: ") + freqText +
                      QStringLiteral(" MHz; [");
    if (f.e) caption += QStringLiteral(" E = ") + eText + QStringLiteral("V/m ;");
    if (f.h()) caption += QStringLiteral(" H = ") + hText + QStringLiteral("A/m");
    caption += QStringLiteral(" ]");
    st_.stationWait.caption = caption;
    view_.setStationWait(st_.stationWait);
    view_.setWindowCaption(caption);

    ReadingUpdate u;
    u.slot = slot;
    u.serial = serial;
    u.frequency = frequency;
    u.frequencyText = freqText;
    u.eText = eText;
    u.hText = hText;
    u.count = n;
    view_.readingShown(u);
}

void TableScan::AggCapEValPBLM(double remaining, double periodLength) {
    WaitBar& bar = st_.rateWait;
    if (remaining < 0) {
        bar.visible = false;
    } else {
        bar.minimum = 0;
        bar.maximum = int(std::lround(periodLength));
        bar.value = int(std::clamp<double>(std::floor(remaining), 0.0, periodLength));
        const QString left = FormatSeconds(remaining);
        bar.caption = left.isEmpty() ? QString()
                                     : QStringLiteral("Remaining Time: ") + left +
                                           QStringLiteral(" (Table Mode)");
    }
    view_.setRateWait(bar);
}

void CancellaColCampoEH(RunView& view, const RunSettings& s, int slot) {
    const FieldSelection f = FieldSelection::from(s);
    const QString dots = QStringLiteral("...");
    if (f.e) view.setFieldCell(slot, Column::FieldE, dots, kPlainCellColour);
    if (f.h()) view.setFieldCell(slot, Column::FieldH, dots, kPlainCellColour);
}

QList<Column> runColumns(const RunSettings& s, bool inhibitColumn) {
    const FieldSelection f = FieldSelection::from(s);
    QList<Column> columns{Column::LastLinkTime, Column::Battery};
    if (f.e) columns << Column::FieldE;
    if (f.h()) columns << Column::FieldH;
    if (inhibitColumn) columns << Column::SpectrumInhibit;
    return columns;
}
