#include "measure/FieldEvaluation.h"

#include "measure/FieldData.h"
#include "measure/NumberFormat.h"

#include <cmath>

namespace {
float evaluate(float sum, float modQ, qint32 count, bool instantaneous, bool rms) {
    if (instantaneous) return float(std::sqrt(double(modQ)));
    const double n = double(count < 1 ? 1 : count);
    return float(rms ? std::sqrt(double(sum) / n) : double(sum) / n);
}
} // namespace

bool reachesThreshold(float value, float threshold, const RunSettings& s) {
    const bool marking = s.listModeOn && s.spectrumModeOn && !s.spectrumRateOn;
    return marking && double(value) >= double(threshold);
}

EvaluatedFields evaluateFields(const LetturaFreq& r, qint32 count, bool instantaneous,
                               const RunSettings& s) {
    const FieldSelection f = FieldSelection::from(s);
    const bool rms = s.detectorIndex == 1;
    EvaluatedFields out;
    if (f.e) {
        out.e.value = evaluate(r.SomCampoE, r.ModQE, count, instantaneous, rms);
        out.e.marked = reachesThreshold(out.e.value, s.thresholdE, s);
    }
    if (f.h()) {
        out.h.value = evaluate(r.SomCampoH, r.ModQH, count, instantaneous, rms);
        out.h.marked = reachesThreshold(out.h.value, s.thresholdH, s);
    }
    return out;
}

QString fieldText(const EvaluatedField& f) {
    return fourDecimals(f.value) + (f.marked ? QStringLiteral("* ") : QStringLiteral("  "));
}

quint32 ImpostaColorCell(const EvaluatedField& f) {
    return f.marked ? kMarkedCellColour : kPlainCellColour;
}
