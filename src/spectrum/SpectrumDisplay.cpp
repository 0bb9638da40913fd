#include "spectrum/SpectrumDisplay.h"

#include "spectrum/SpectrumUnits.h"

#include <algorithm>
#include <cmath>

namespace {
const QString Blank = QStringLiteral(" ");
const QString Mhz = QStringLiteral(" MHz");
} // namespace

QString SpectrumDisplay::unitText() const {
    if (isAuxiliary()) return auxInDbm_ ? QStringLiteral("dBm") : QStringLiteral("mV");
    return unitCaption(unitCode_);
}

void SpectrumDisplay::setShowXYZ(bool on) {
    showXYZ_ = on;
    if (!traceShown(markerTrace_)) markerTrace_ = 0;
}

void SpectrumDisplay::axesChanged() {
    if (!traceShown(markerTrace_)) markerTrace_ = 0;
}

bool SpectrumDisplay::traceShown(int trace) const {
    if (trace == 0) return true;
    if (trace < 0 || trace > 3 || isAuxiliary() || !showXYZ_) return false;
    return data_->AxisEnabled[trace - 1];
}

int SpectrumDisplay::pointCount() const {
    return std::clamp(data_->NPoints, 0, SpectrumPoints);
}

void SpectrumDisplay::beginSweep(const SweepSettings& settings) {
    settings_ = settings;
    live_ = true;
    review_ = false;
    printedLines_.clear();
    drawn_ = 0;
    cursorIndex_ = -1;
    cursorVisible_ = false;
    zoomFactor_ = 1;
    zoomCentre_ = settings.FStart;
    keepMarkerInside();
    if (!traceShown(markerTrace_)) markerTrace_ = 0;
}

void SpectrumDisplay::pointDecoded(int index) {
    if (index >= 0 && index < pointCount()) drawn_ = std::max(drawn_, index + 1);
}

void SpectrumDisplay::beginReview(const SweepSettings& settings, const QStringList& headerLines) {
    settings_ = settings;
    live_ = false;
    review_ = true;
    printedLines_ = headerLines;
    drawn_ = pointCount();
    cursorIndex_ = -1;
    cursorVisible_ = false;
    zoomFactor_ = 1;
    zoomCentre_ = settings.FStart;
    keepMarkerInside();
    if (!traceShown(markerTrace_)) markerTrace_ = 0;
}

int SpectrumDisplay::drawnPoints() const {
    return std::min(drawn_, pointCount());
}

double SpectrumDisplay::levelDb(double level) const {
    return dbPosition(level, drawingReference(data_->RefLevel, unitCode_), dynamicRange());
}

double SpectrumDisplay::pointDb(int trace, int index) const {
    if (trace < 0 || trace >= SpectrumTraces || index < 0 || index >= SpectrumPoints)
        return plotFloorDb(dynamicRange());
    if (data_->Freq[index] < data_->MinUsableFreq) return plotFloorDb(dynamicRange());
    return levelDb(data_->Level[trace][index]);
}

QList<LevelGridLine> SpectrumDisplay::levelGrid() const {
    return ::levelGrid(unitCode_, data_->RefLevel, dynamicRange(), auxInDbm());
}

ZoomRange SpectrumDisplay::shownPoints() const {
    return zoomRange(std::span<const float>(data_->Freq.data(), size_t(pointCount())), zoomFactor_,
                     zoomCentre_);
}

double SpectrumDisplay::shownStart() const {
    if (zoomFactor_ <= 1 || pointCount() < 2) return settings_.FStart;
    return data_->Freq[shownPoints().first];
}

double SpectrumDisplay::shownStop() const {
    if (zoomFactor_ <= 1 || pointCount() < 2) return settings_.FStop;
    return data_->Freq[shownPoints().last];
}

QString SpectrumDisplay::divisionText() const {
    return ::divisionText(shownStop() - shownStart());
}

QString SpectrumDisplay::centerText() const {
    if (zoomFactor_ <= 1) return ::centerText(settings_.FCenter);
    return ::centerText(float((shownStart() + shownStop()) / 2));
}

QString SpectrumDisplay::startText() const {
    return edgeText(float(shownStart()));
}
QString SpectrumDisplay::stopText() const {
    return edgeText(float(shownStop()));
}

QString SpectrumDisplay::levelText(float level) const {
    if (auxInDbm()) return dBmText(level);
    return ::levelText(level, unitCode_);
}

QString SpectrumDisplay::peakLevelText() const {
    return levelText(data_->LatchedPeakLevel) + Blank + unitText();
}

QString SpectrumDisplay::peakFreqText() const {
    // No peak yet (frequency -1): no frequency either.
    if (data_->LatchedPeakFreq < 0) return QStringLiteral("----") + Mhz;
    return fixedText(data_->LatchedPeakFreq, 4) + Mhz;
}

QString SpectrumDisplay::wideBandText() const {
    const float value = data_->wideBand(settings_.RbwIndex);
    return value > 0 ? levelText(value) : QStringLiteral("----");
}

QString SpectrumDisplay::spanText() const {
    return fixedText(settings_.Span, 4) + Blank + QStringLiteral("bandwidth");
}

QString SpectrumDisplay::markerFreqText() const {
    const float f = markerVisible() ? data_->Freq[markerIndex_] : 0.0f;
    return QStringLiteral("Freq. = ") + fixedText(f, 4) + Mhz;
}

QString SpectrumDisplay::markerLevelText() const {
    const float l = markerVisible() ? data_->Level[markerTrace_][markerIndex_] : 0.0f;
    return QStringLiteral("Lev. = ") + levelText(l) + Blank + unitText();
}

float SpectrumDisplay::threshold() const {
    return thresholds_[settings_.SweepField == 1 ? 1 : 0];
}

double SpectrumDisplay::thresholdDb() const {
    return levelDb(threshold());
}

QString SpectrumDisplay::DeterminaStTTTThreshold() const {
    // The value in the unit the plot shows, as the boxes write levels, without their padding.
    const QString value = RemoveRightZero(levelText(threshold()).trimmed());
    return (settings_.SweepField == 1 ? QStringLiteral("H") : QStringLiteral("E")) +
           QStringLiteral(" Threshold ") + value + Blank + unitText();
}

QString SpectrumDisplay::DeterminaStTTTMKR() const {
    return traceCaption(markerTrace_) + QStringLiteral(": ") + markerFreqText() +
           QStringLiteral(" ; ") + markerLevelText();
}

QString SpectrumDisplay::traceCaption(int trace) {
    static const QString captions[] = {QStringLiteral("Total"), QStringLiteral("X"),
                                       QStringLiteral("Y"), QStringLiteral("Z")};
    return trace >= 0 && trace < 4 ? captions[trace] : QString();
}

QString SpectrumDisplay::autoSpanCaption(int button) {
    switch (button) {
    case 1:
        return QStringLiteral("Highest Peak");
    case 2:
        return QStringLiteral("Next Peak");
    case 3:
        return QStringLiteral("Previous  Peak");
    default:
        return QString();
    }
}

void SpectrumDisplay::setMarkerTrace(int trace) {
    if (traceShown(trace)) markerTrace_ = trace;
}

void SpectrumDisplay::setMarkerIndex(int index) {
    const int n = pointCount();
    markerIndex_ = n == 0 ? -1 : std::clamp(index, 0, n - 1);
}

void SpectrumDisplay::placeMarkerAt(double frequency) {
    const ZoomRange r = shownPoints();
    const int n = pointCount();
    if (n == 0) return;
    const std::span<const float> shown(data_->Freq.data() + r.first, size_t(r.points()));
    setMarkerIndex(r.first + nearestPoint(shown, frequency));
}

bool SpectrumDisplay::CmdAutoSpan(int button) {
    const int n = pointCount();
    if (n == 0) return false;
    if (button == 1) {
        setMarkerIndex(data_->LatchedPeakFreq >= 0 ? data_->LatchedPeakIndex : 0);
        return true;
    }
    if (button != 2 && button != 3) return false;
    if (!markerVisible()) setMarkerIndex(0);
    const std::span<const float> level(data_->Level[markerTrace_].data(), size_t(n));
    const int peak = findPeak(level, markerIndex_, button == 2 ? 1 : -1);
    if (peak < 0) return false;
    markerIndex_ = peak;
    return true;
}

void SpectrumDisplay::SpostaFrecciaSinistra() {
    if (markerVisible())
        setMarkerIndex(markerIndex_ - 1);
    else
        setMarkerIndex(shownPoints().first);
}

void SpectrumDisplay::SpostaFrecciaDestra() {
    if (markerVisible())
        setMarkerIndex(markerIndex_ + 1);
    else
        setMarkerIndex(shownPoints().first);
}

void SpectrumDisplay::SpostaFrecciaSu() {
    for (int k = 1; k <= 4; ++k) {
        const int t = (markerTrace_ + k) % 4;
        if (traceShown(t)) {
            markerTrace_ = t;
            return;
        }
    }
}

void SpectrumDisplay::SpostaFrecciaGiu() {
    for (int k = 1; k <= 4; ++k) {
        const int t = (markerTrace_ + 4 - k) % 4;
        if (traceShown(t)) {
            markerTrace_ = t;
            return;
        }
    }
}

void SpectrumDisplay::middleButton() {
    if (!markerVisible()) return;
    mode_ = mode_ == PointerMode::Marker ? PointerMode::Zoom : PointerMode::Marker;
}

bool SpectrumDisplay::zoomIn() {
    if (shownPoints().points() <= 10) return false;
    zoomFactor_ *= 2;
    return true;
}

bool SpectrumDisplay::zoomOut() {
    if (zoomFactor_ <= 1) {
        zoomFactor_ = 1;
        return false;
    }
    zoomFactor_ = std::max(1.0, zoomFactor_ / 2);
    return true;
}

void SpectrumDisplay::MouseWheel(int steps) {
    if (steps == 0) return;
    if (mode_ == PointerMode::Zoom) {
        if (steps > 0)
            zoomIn();
        else
            zoomOut();
    } else if (steps > 0) {
        SpostaFrecciaSu();
    } else {
        SpostaFrecciaGiu();
    }
}

void SpectrumDisplay::keyUp() {
    if (mode_ == PointerMode::Zoom)
        zoomOut();
    else
        SpostaFrecciaSu();
}

void SpectrumDisplay::keyDown() {
    if (mode_ == PointerMode::Zoom)
        zoomIn();
    else
        SpostaFrecciaGiu();
}

void SpectrumDisplay::keepMarkerInside() {
    if (markerVisible()) setMarkerIndex(markerIndex_);
}
