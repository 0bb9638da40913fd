#pragma once

#include "measure/SweepSettings.h"
#include "spectrum/SpectrumData.h"
#include "spectrum/SpectrumMarker.h"
#include "spectrum/SpectrumScale.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// What the spectrum window shows of a SpectrumData, without any widget: the unit, the scale,
// the marker, the threshold, the zoom and the box texts. The window forwards mouse, wheel and
// keys here and paints what SpectrumPainter makes of it; the acquisition reports each decoded
// point and the sweep cursor. Frequencies are MHz, levels linear in the stored unit.
class SpectrumDisplay {
public:
    enum class PointerMode { Marker, Zoom };

    explicit SpectrumDisplay(const SpectrumData& data) : data_(&data) {}

    const SpectrumData& data() const { return *data_; }

    // --- what is shown and in which unit
    // The display unit: 0..2 for E (V/m, mW/cm2, W/m2), 10..13 for H (A/m, mW/cm2, W/m2, µT).
    void setUnitCode(int unitCode) { unitCode_ = unitCode; }
    int unitCode() const { return unitCode_; }
    // The auxiliary input is shown in dBm instead of mV.
    void setAuxInDbm(bool on) { auxInDbm_ = on; }
    bool auxInDbm() const { return auxInDbm_ && isAuxiliary(); }
    bool isAuxiliary() const { return data_->FieldType == 3; }
    QString unitText() const;
    void setShowXYZ(bool on);
    // The axis selection of the spectrum changed: a marker on an axis no longer shown goes
    // back to the Total.
    void axesChanged();
    bool showXYZ() const { return showXYZ_; }
    // Total always; X, Y and Z when the axes are shown and that axis is enabled (never for
    // the auxiliary input).
    bool traceShown(int trace) const;

    // Spectrum thresholds: [0] E in V/m, [1] H in A/m.
    void setThresholds(const std::array<float, 2>& thresholds) { thresholds_ = thresholds; }
    const std::array<float, 2>& thresholds() const { return thresholds_; }
    void setShowThreshold(bool on) { showThreshold_ = on; }
    bool thresholdShown() const { return showThreshold_; }

    // --- the sweep
    // A live acquisition begins (the axis of settings is built): the sweep limits become the
    // initial limits, nothing of the traces is drawn yet, the zoom returns to 1, the marker
    // stays inside the sweep and the sweep cursor is hidden. With the threshold setting on
    // the threshold line is drawn wide while the acquisition runs.
    void beginSweep(const SweepSettings& settings);
    // The acquisition decoded point index of the current pass.
    void pointDecoded(int index);
    void setSweepCursor(int index) {
        cursorIndex_ = index >= 0 && index < SpectrumPoints ? index : -1;
    }
    void setSweepCursorVisible(bool on) { cursorVisible_ = on; }
    bool sweepCursorVisible() const { return cursorVisible_ && cursorIndex_ >= 0; }
    int sweepCursorIndex() const { return cursorIndex_; }
    // The acquisition is over (the threshold line goes back to its normal width).
    void endSweep() { live_ = false; }
    bool live() const { return live_; }
    // A saved spectrum is shown: every point of it is drawn, with the two header lines of
    // its file printed on the plot.
    void beginReview(const SweepSettings& settings, const QStringList& headerLines);
    bool reviewing() const { return review_; }
    // Texts printed over the top of the plot (the header lines of a review or a picture).
    void setPrintedLines(const QStringList& lines) { printedLines_ = lines; }
    const QStringList& printedLines() const { return printedLines_; }
    const SweepSettings& settings() const { return settings_; }
    // Points that hold a level of this acquisition (the first pass is drawn as it comes).
    int drawnPoints() const;

    // --- scale
    double dynamicRange() const { return data_->DynamicRange; }
    double topDb() const { return PlotTopDb; }
    double bottomDb() const { return plotBottomDb(dynamicRange()); }
    // y of a point of a trace in dB: the floor for a level of 0 or less and for a point below
    // the lowest usable frequency.
    double pointDb(int trace, int index) const;
    double levelDb(double level) const;
    QList<LevelGridLine> levelGrid() const;
    // The shown frequency range (the initial limits unless zoomed), aligned to points.
    ZoomRange shownPoints() const;
    double shownStart() const;
    double shownStop() const;
    QString divisionText() const;
    QString centerText() const;
    QString startText() const;
    QString stopText() const;

    // --- boxes
    QString levelText(float level) const; // 6 characters, or the auxiliary input in dBm
    QString peakLevelText() const;        // PnlLevel(0): level text + " " + unit
    QString peakFreqText() const;         // PnlFreq(0): "0.0000" + " MHz"
    QString wideBandText() const;         // level text, "----" when 0 or less
    QString spanText() const;             // "0.0000" + " bandwidth"
    QString markerFreqText() const;       // LBFreqMarker: "Freq. = " ...
    QString markerLevelText() const;      // LBLevMarker: "Lev. = " ...

    // --- threshold
    float threshold() const;    // of the spectrum's field
    double thresholdDb() const; // PosizionaThreshold
    bool thresholdWide() const { return live_ && showThreshold_; }
    QString DeterminaStTTTThreshold() const; // "E Threshold 20 V/m" (also the tooltip)
    QString DeterminaStTTTMKR() const;       // "Total: Freq. = ... ; Lev. = ..."

    // --- marker
    static QString traceCaption(int trace);     // "Total", "X", "Y", "Z"
    static QString autoSpanCaption(int button); // 1 "Highest Peak", 2 "Next Peak", 3 ...
    bool markerVisible() const { return markerIndex_ >= 0; }
    int markerIndex() const { return markerIndex_; }
    int markerTrace() const { return markerTrace_; }
    void setMarkerTrace(int trace);
    // Puts the marker on the point nearest to a frequency (mouse press or drag).
    void placeMarkerAt(double frequency);
    void setMarkerIndex(int index);
    // CmdAutoSpan: 1 highest (latched) peak, 2 next peak to the right, 3 previous to the left.
    // False when the search found nothing and the marker stayed.
    bool CmdAutoSpan(int button);
    void SpostaFrecciaSinistra(); // one point left
    void SpostaFrecciaDestra();   // one point right
    void SpostaFrecciaSu();       // next shown trace
    void SpostaFrecciaGiu();      // previous shown trace

    // --- zoom and pointer
    PointerMode pointerMode() const { return mode_; }
    // The middle button: toggles marker and zoom mode while the marker is visible.
    void middleButton();
    void setZoomCentre(double frequency) { zoomCentre_ = frequency; }
    double zoomCentre() const { return zoomCentre_; }
    double zoomFactor() const { return zoomFactor_; }
    bool zoomIn();  // doubles the factor while more than 10 points are shown
    bool zoomOut(); // halves it, never below 1
    // The wheel: in marker mode forward is SpostaFrecciaSu, backward SpostaFrecciaGiu; in zoom
    // mode forward zooms in and backward out. steps > 0 is forward.
    void MouseWheel(int steps);
    // Up and Down keys: marker trace in marker mode, zoom out / in in zoom mode.
    void keyUp();
    void keyDown();

private:
    void keepMarkerInside();
    int pointCount() const;

    const SpectrumData* data_;
    SweepSettings settings_;
    int unitCode_ = 0;
    bool auxInDbm_ = false;
    bool showXYZ_ = true;
    std::array<float, 2> thresholds_{20.0f, 0.053f};
    bool showThreshold_ = false;
    bool live_ = false;
    bool review_ = false;
    QStringList printedLines_;
    int drawn_ = 0;
    int cursorIndex_ = -1;
    bool cursorVisible_ = false;
    int markerIndex_ = -1;
    int markerTrace_ = 0;
    PointerMode mode_ = PointerMode::Marker;
    double zoomFactor_ = 1;
    double zoomCentre_ = 0;
};
