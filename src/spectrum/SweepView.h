#pragma once

#include "measure/SweepSettings.h"

#include <QString>
#include <QtGlobal>
#include <array>

struct SpectrumData;

// The three colours of the tuning label (LbFtune), 0x00BBGGRR.
using TuningColours = std::array<quint32, 3>;

// What an acquisition shows while it runs. The spectrum window implements it; the console
// runner and the tests use the view that shows nothing. The spectrum is the acquisition's own
// (SweepAcquisition::data()) and is only read.
class SweepView {
public:
    virtual ~SweepView() = default;

    // The window's caption: station number, long field name and firmware.
    virtual void setCaption(const QString& caption) = 0;
    // A new start: the plot is cleared and scaled to the sweep, the threshold line placed.
    virtual void preparePlot(const SweepSettings& settings, const AcquisitionRecord& record,
                             const SpectrumData& data) = 0;
    // The axis being swept (1 X, 2 Y, 3 Z).
    virtual void showAxis(int axis) = 0;
    // The frequency axis is built and the sweep started: draw axes and labels, hide the sweep
    // cursor, refresh the wide-band box.
    virtual void sweepStarted(const SpectrumData& data) = 0;
    // A pass begins: redraw the grid.
    virtual void passStarted(const SpectrumData& data) = 0;
    // The tuning label's text and colours.
    virtual void setTuning(const QString& text, const TuningColours& colours) = 0;
    // Point `index` of the current axis was decoded: draw its segment and move the sweep cursor;
    // boxesChanged when the latched peak moved (peak and marker boxes to refresh).
    virtual void pointDecoded(const SpectrumData& data, int index, bool boxesChanged) = 0;
    virtual void showSweepCursor(bool visible) = 0;
    virtual void wideBandChanged(const SpectrumData& data) = 0;
    // A settings change restarts the sweep ("Start Sweep" on the sweep button).
    virtual void restarting() = 0;
    // The acquisition is over, whatever the outcome: the window hides.
    virtual void finished(SweepOutcome outcome) = 0;
};

// Shows nothing.
class NullSweepView : public SweepView {
public:
    void setCaption(const QString&) override {}
    void preparePlot(const SweepSettings&, const AcquisitionRecord&, const SpectrumData&) override {
    }
    void showAxis(int) override {}
    void sweepStarted(const SpectrumData&) override {}
    void passStarted(const SpectrumData&) override {}
    void setTuning(const QString&, const TuningColours&) override {}
    void pointDecoded(const SpectrumData&, int, bool) override {}
    void showSweepCursor(bool) override {}
    void wideBandChanged(const SpectrumData&) override {}
    void restarting() override {}
    void finished(SweepOutcome) override {}
};
