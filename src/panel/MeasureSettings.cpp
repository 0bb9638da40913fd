#include "panel/MeasureSettings.h"

#include "app/Switches.h"
#include "app/TypedNumber.h"
#include "panel/PanelValidation.h"

#include <tuple>

namespace MeasureSettings {

namespace {
constexpr double kLowestFrequency = 0.009;

// The digits a single-precision field really holds (0.053, not 0.052999999821186066; a
// computed 0.0139999995 shows as 0.014). No value of these boxes needs an exponent.
QString shortest(float v) {
    return QString::number(double(v), 'g', 7);
}

// A box whose text still shows the stored value keeps that value exactly.
float typedFloat(const QString& text, const QString& shown, float stored, double low, double high) {
    return text == shown ? stored : float(typedNumber(text, low, high));
}

template <typename T> bool assign(T& field, T value) {
    if (field == value) return false;
    field = value;
    return true;
}
} // namespace

BoxRange boxRange(const PanelRecord& p, Box box) {
    switch (box) {
    case Box::ListModeRate:
        return {1, 1440, 4, true, false};
    case Box::ThresholdE:
        return {0.02, 1000, 5, false, false};
    case Box::ThresholdH:
        return {0.006, 300, 6, false, false};
    case Box::Start:
    case Box::Stop:
        return {kLowestFrequency, spanUpperLimit(p.ListModeFields), 0, false, false};
    case Box::Quality:
        return {10, 100, 4, true, true};
    }
    return {0, 0, 4, false, false};
}

QString boxText(const PanelRecord& p, Box box) {
    switch (box) {
    case Box::ListModeRate:
        return QString::number(p.ListModeRate);
    case Box::ThresholdE:
        return shortest(p.SpectrumModeThresholds[0]);
    case Box::ThresholdH:
        return shortest(p.SpectrumModeThresholds[1]);
    case Box::Start:
        return shortest(p.SpectrumStartFrequency);
    case Box::Stop:
        return shortest(p.SpectrumStopFrequency);
    case Box::Quality:
        return QString::number(p.ImageQuality);
    }
    return {};
}

bool takeBox(PanelRecord& p, Box box, const QString& text, const Switches& switches) {
    const BoxRange r = boxRange(p, box);
    switch (box) {
    case Box::ListModeRate:
        return assign(p.ListModeRate, qint16(typedWhole(text, 1, 1440)));
    case Box::Quality:
        return assign(p.ImageQuality, typedWhole(text, 10, 100, true));
    case Box::ThresholdE:
    case Box::ThresholdH: {
        float& field = p.SpectrumModeThresholds[box == Box::ThresholdE ? 0 : 1];
        return assign(field, typedFloat(text, boxText(p, box), field, r.low, r.high));
    }
    case Box::Start:
        return takeSpan(p, text, boxText(p, Box::Stop), switches);
    case Box::Stop:
        return takeSpan(p, boxText(p, Box::Start), text, switches);
    }
    return false;
}

void followSpan(PanelRecord& p, const Switches& switches) {
    adjustSpan(p.SpectrumStartFrequency, p.SpectrumStopFrequency, spanUpperLimit(p.ListModeFields));
    if (!switches.noLimitRbw())
        p.SpectrumRBWIndex =
            qint16(rbwIndexForSpan(p.SpectrumStartFrequency, p.SpectrumStopFrequency));
}

bool takeSpan(PanelRecord& p, const QString& startText, const QString& stopText,
              const Switches& switches) {
    const BoxRange r = boxRange(p, Box::Start);
    const PanelRecord before = p;
    p.SpectrumStartFrequency = typedFloat(startText, boxText(before, Box::Start),
                                          before.SpectrumStartFrequency, r.low, r.high);
    p.SpectrumStopFrequency = typedFloat(stopText, boxText(before, Box::Stop),
                                         before.SpectrumStopFrequency, r.low, r.high);
    followSpan(p, switches);
    return !(p == before);
}

void ControllaCHKLMSM(PanelRecord& p, int clicked, bool on) {
    qint16& mine = clicked == 0 ? p.ListModeOn : p.SpectrumModeOn;
    qint16& other = clicked == 0 ? p.SpectrumModeOn : p.ListModeOn;
    mine = on ? 1 : 0;
    if (p.ListModeOn == 0 && p.SpectrumModeOn == 0) other = 1;
}

void ControllaCHKLM(PanelRecord& p, int clicked, bool on, const Switches& switches) {
    if (clicked < 0 || clicked > 2) return;
    auto& f = p.ListModeFields;
    f[size_t(clicked)] = on ? 1 : 0;
    if (f[0] == 0 && f[1] == 0 && f[2] == 0) f[size_t((clicked + 1) % 3)] = 1;
    if (f[FieldHModeA] == 1 && f[FieldHModeB] == 1)
        f[clicked == FieldHModeA ? FieldHModeB : FieldHModeA] = 0;
    if (f[FieldE] == 0) p.SpectrumModeFields[0] = 0;
    if (f[FieldHModeA] == 0 && f[FieldHModeB] == 0) p.SpectrumModeFields[1] = 0;
    // The upper limit may have moved (E alone 30 MHz, H Mode A 3 MHz).
    followSpan(p, switches);
}

void clickSpectrumField(PanelRecord& p, int clicked, bool on) {
    if (clicked < 0 || clicked > 1) return;
    p.SpectrumModeFields[size_t(clicked)] = on ? 1 : 0;
    if (p.ListModeFields[FieldE] == 0) p.SpectrumModeFields[0] = 0;
    if (p.ListModeFields[FieldHModeA] == 0 && p.ListModeFields[FieldHModeB] == 0)
        p.SpectrumModeFields[1] = 0;
}

void ControllaCHKSaveImage(PanelRecord& p, int clicked, bool on) {
    if (clicked < 0 || clicked > 1) return;
    p.SaveImage[size_t(clicked)] = on ? 1 : 0;
    if (p.SaveImage[0] == 1 && p.SaveImage[1] == 1) p.SaveImage[size_t(1 - clicked)] = 0;
}

Enables AbDisabControlli(PanelRecord& p, const Switches& switches) {
    Enables e;
    e.spectrumMode = p.SpectrumModeOn == 1;
    if (p.ListModeOn != 1) {
        p.SpectrumRateOn = 1;
        e.rateSM = false;
    } else {
        e.rateSM = e.spectrumMode;
    }
    e.listMode = p.ListModeOn == 1;
    e.thresholds = e.spectrumMode && p.ListModeOn == 1 && p.SpectrumRateOn == 0;
    // Both the fixed rate and the threshold trigger (as the time a station rests after a
    // sweep) use the rate, so it stays editable whenever Spectrum Mode is on.
    e.rateSpectrumMode = e.spectrumMode;
    e.rbwList = e.spectrumMode && switches.noLimitRbw();
    e.quality = e.spectrumMode && p.SaveImage[1] == 1;
    return e;
}

namespace {
auto measureFields(const PanelRecord& p) {
    return std::tie(p.ListModeOn, p.SpectrumModeOn, p.ListModeRate, p.SpectrumModeRateIndex,
                    p.ListModeFields, p.SpectrumModeFields, p.SpectrumModeThresholds,
                    p.SpectrumRateOn, p.SeparatorIndex, p.PreamplifierOn, p.SaveImage,
                    p.ImageQuality, p.Colors, p.SpectrumStartFrequency, p.SpectrumStopFrequency,
                    p.SpectrumRBWIndex, p.DetectorIndex);
}
} // namespace

bool ControllaVarParMeasure(const PanelRecord& p, const PanelRecord& snapshot) {
    return measureFields(p) != measureFields(snapshot);
}

void CMBDefaultColor(PanelRecord& p, const Switches& switches) {
    // The new-panel defaults also cover the scan browser's file type and the threshold
    // display, which this dialog does not show; those stay as they are.
    const qint16 scanExtension = p.ScanExtensionIndex;
    const qint16 showThreshold = p.ShowThreshold;
    applyNewPanelDefaults(p, switches);
    p.ScanExtensionIndex = scanExtension;
    p.ShowThreshold = showThreshold;
}

} // namespace MeasureSettings
