#pragma once

#include "measure/SweepRunner.h"
#include "spectrum/SpectrumData.h"
#include "spectrum/SweepStream.h"
#include "spectrum/SweepView.h"

#include <QByteArray>
#include <QString>
#include <functional>

class ProbeLink;
class SpectrumFileSink;

// What the acquisition takes from the display side.
struct AcquisitionTexts {
    // The level text of the peak and wide-band boxes (6 characters, blanks trimmed).
    std::function<QString(float level)> levelText;
    // The full-scale rule of the display unit: the level drawn at 0 dB for a field type's
    // full-scale value (already divided for the preamplifier). Without it, the value itself.
    std::function<float(float fullScale)> refLevel;
};

// The box texts and full-scale rule of a display unit (0..2 E, 10..13 H).
AcquisitionTexts unitAcquisitionTexts(int unitCode);

// One spectrum acquisition on the program's probe link: firmware read, sweep programming,
// three passes decoded from the stream, then the files. Everything it waits for goes
// through the event pump, so the window's controls (axes, preamplifier, Exit) act between
// points; they reach it through RestartRequest and the sweep stop flag.
class SweepAcquisition : public SweepRunner {
public:
    SweepAcquisition(ProbeLink& link, SpectrumFileSink& files, AcquisitionTexts texts,
                     SweepView* view = nullptr);

    void setView(SweepView* view);

    SweepOutcome runAcquisition(int slot, SweepSettings& settings, AcquisitionRecord& record,
                                const SweepChoice& choice) override;
    // The acquisition proper, after the firmware was read: from the first start to the end.
    SweepOutcome CmdSweepFw_Click(SweepSettings& settings, AcquisitionRecord& record);

    // The spectrum being acquired: the display draws it, the window's controls change the
    // axes, field and preamplifier in it and then ask for a restart.
    SpectrumData& data() { return data_; }
    const SpectrumData& data() const { return data_; }
    void requestRestart() { data_.RestartRequest = true; }

    // "Stop Sweep Spectrum: ..." and the boxes: the texts of the latched peak and wide band.
    QString peakLevelText() const;
    QString peakFrequencyText() const;
    QString wideBandText(int rbwIndex) const;

private:
    enum class Next { Restart, Fail, Stop, Finish };
    enum class Wait { Found, Missing, WriteFailed, Stopped };
    enum class Pass { Complete, Cut, Restart, Stop, NoHeader };

    Next start(SweepSettings& settings, const AcquisitionRecord& record);
    Next passes(SweepSettings& settings);
    Pass pass(const SweepSettings& settings);
    void setUpFieldType(const AcquisitionRecord& record);
    Wait nextAxis(bool reset);
    Wait programSweep(const SweepSettings& settings);
    Wait sendAndAwait(const QByteArray& framed, const QByteArray& expected, double timeout);
    Wait sendBodyAndAwait(const QByteArray& body, const QByteArray& expected, double timeout);
    bool sendGo();
    void readWaiting();
    bool pause(double seconds);
    bool stopped() const;
    void drainToSilence();
    void showTuning(double mhz, bool alarm);
    SweepOutcome end(SweepOutcome outcome);
    // The one place that tells the link which station it serves.
    void serveStation(int slot, const QString& serial);

    ProbeLink& link_;
    SpectrumFileSink& files_;
    AcquisitionTexts texts_;
    NullSweepView nullView_;
    SweepView* view_;
    SpectrumData data_;
    SweepBuffer buffer_;
    SweepDecoder decoder_{data_};
    int starts_ = 0;
    int slot_ = 0;
    QString auxUnit_ = QStringLiteral("mV");
};
