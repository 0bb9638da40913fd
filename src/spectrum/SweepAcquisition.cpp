#include "spectrum/SweepAcquisition.h"

#include "spectrum/SpectrumUnits.h"

#include "app/AppContext.h"
#include "app/Deadline.h"
#include "app/ValueLists.h"
#include "link/ByteSequence.h"
#include "link/ProbeCommands.h"
#include "link/ProbeLink.h"
#include "spectrum/SpectrumFileSink.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {
constexpr int kMaxStarts = 11;
constexpr int kProgrammingTries = 3;
constexpr double kEchoTimeout = 0.2;
constexpr double kStreamSilence = 0.3;
// The final drain ends after this much silence, and within the link's 500 rounds of 0.05 s.
constexpr double kDrainSilence = 0.1;
constexpr double kDrainLimit = 25.0;

const TuningColours kNormalTuning{paletteColour(15), paletteColour(7), paletteColour(15)};
const TuningColours kAlarmTuning{paletteColour(12), paletteColour(4), paletteColour(12)};

// Shortest text that reads back as the same single ("0.1", "29.95", "0.075").
QString singleText(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, std::isfinite(value) ? value : 0);
    return QString::fromLatin1(text, result.ptr - text);
}

qint64 wholeHz(float mhz) {
    return std::llround(double(mhz) * 1e6);
}

// Seconds from `from` to `to` on the time-of-day clock, across midnight.
double elapsed(double from, double to) {
    return to >= from ? to - from : to + 86400.0 - from;
}
} // namespace

SweepAcquisition::SweepAcquisition(ProbeLink& link, SpectrumFileSink& files, AcquisitionTexts texts,
                                   SweepView* view)
    : link_(link), files_(files), texts_(std::move(texts)), view_(view ? view : &nullView_) {}

void SweepAcquisition::setView(SweepView* view) {
    view_ = view ? view : &nullView_;
}

void SweepAcquisition::serveStation(int slot, const QString& serial) {
    // Keep the serial the run already gave the link when the record brings none.
    if (!serial.isEmpty() || link_.currentStation() != slot) link_.setCurrentStation(slot, serial);
}

bool SweepAcquisition::stopped() const {
    const RunFlags& flags = link_.context().flags;
    return flags.SweepStop || flags.StopRequest;
}

bool SweepAcquisition::pause(double seconds) {
    AppContext& ctx = link_.context();
    Deadline deadline(ctx.clock, seconds);
    while (!stopped()) {
        if (deadline.expired()) return true;
        ctx.pump.pump(deadline);
    }
    return false;
}

void SweepAcquisition::readWaiting() {
    const qint64 n = link_.PortBytesWaiting();
    if (n > 0) buffer_.append(link_.ReadPortBytes(n));
}

SweepAcquisition::Wait SweepAcquisition::sendAndAwait(const QByteArray& framed,
                                                      const QByteArray& expected, double timeout) {
    buffer_.clear();
    if (!link_.WritePortText(framed)) return Wait::WriteFailed;
    AppContext& ctx = link_.context();
    Deadline deadline(ctx.clock, timeout);
    for (;;) {
        ctx.pump.pump(deadline);
        readWaiting();
        if (buffer_.contains(expected)) return Wait::Found;
        if (stopped()) return Wait::Stopped;
        if (deadline.expired()) return Wait::Missing;
    }
}

SweepAcquisition::Wait SweepAcquisition::sendBodyAndAwait(const QByteArray& body,
                                                          const QByteArray& expected,
                                                          double timeout) {
    return sendAndAwait(ProbeLink::Frame(body), expected, timeout);
}

bool SweepAcquisition::sendGo() {
    buffer_.clear();
    return link_.SendProbeCommand("(g", -1);
}

void SweepAcquisition::showTuning(double mhz, bool alarm) {
    // "00.00000" with a leading zero shown as a blank, then "0 MHz".
    QString text = QString::number(mhz, 'f', 5).rightJustified(8, QLatin1Char('0'));
    if (text.startsWith(QLatin1Char('0'))) text[0] = QLatin1Char(' ');
    view_->setTuning(text + QStringLiteral("0 MHz"), alarm ? kAlarmTuning : kNormalTuning);
}

QString SweepAcquisition::peakLevelText() const {
    return texts_.levelText ? texts_.levelText(data_.LatchedPeakLevel)
                            : singleText(data_.LatchedPeakLevel);
}

QString SweepAcquisition::peakFrequencyText() const {
    // No point above zero (frequency -1): no frequency either, as the box shows it.
    if (data_.LatchedPeakFreq < 0) return QStringLiteral("---- MHz");
    return QString::number(double(data_.LatchedPeakFreq), 'f', 4) + QStringLiteral(" MHz");
}

QString SweepAcquisition::wideBandText(int rbwIndex) const {
    const float value = data_.wideBand(rbwIndex);
    if (!(value > 0.0f)) return QStringLiteral("----");
    return texts_.levelText ? texts_.levelText(value) : singleText(value);
}

// --- the acquisition ------------------------------------------------------------------------

SweepOutcome SweepAcquisition::runAcquisition(int slot, SweepSettings& settings,
                                              AcquisitionRecord& record,
                                              const SweepChoice& choice) {
    slot_ = slot;
    serveStation(slot, record.stationId);
    data_.FieldType = std::clamp(choice.fieldType, 0, 3);
    data_.PreampWanted = choice.preamp ? 1 : 0;
    data_.AxisEnabled = choice.axes;
    auxUnit_ = record.auxInDbm ? QStringLiteral("dBm") : QStringLiteral("mV");
    if (stopped()) {
        link_.LogLine(true, QStringLiteral("Stop Sweep Spectrum manual"));
        return end(SweepOutcome::ManualStop);
    }
    // The end of the previous exchange may still be on the line (an echo is taken as soon as
    // its expected text arrives): it must not be read as the firmware reply.
    drainToSilence();
    record.firmware = ProbeCommands(link_).ReadFirmware();
    const FieldTypeSetup setup =
        fieldTypeSetup(data_.FieldType, link_.context().switches, auxUnit_);
    view_->setCaption(QString::number(slot + 1) + QLatin1Char(' ') + setup.fieldNameLong +
                      QStringLiteral(" (FW:") + record.firmware + QLatin1Char(')'));
    if (record.firmware.isEmpty()) return end(SweepOutcome::NoFirmware);
    return CmdSweepFw_Click(settings, record);
}

SweepOutcome SweepAcquisition::CmdSweepFw_Click(SweepSettings& settings,
                                                AcquisitionRecord& record) {
    AppContext& ctx = link_.context();
    // The index goes on the wire as one digit and picks the step: one value for both.
    settings.RbwIndex = qint16(std::clamp<int>(settings.RbwIndex, 0, 5));
    const QDateTime started = ctx.clock.now();
    record.date = started.date();
    record.dateText = started.toString(QStringLiteral("yyyy/MM/dd"));
    record.timeText = started.toString(QStringLiteral("hh:mm:ss"));
    // The probe may have been set otherwise since the last sweep (List Mode changes the RBW,
    // another probe is on this port): send RBW and preamplifier again.
    data_.ProbeRbwIndex = -1;
    data_.PreampOnProbe = -1;

    starts_ = 0;
    Next next = Next::Restart;
    while (next == Next::Restart)
        next = start(settings, record);

    switch (next) {
    case Next::Fail:
        link_.LogLine(true, QStringLiteral("Start Sweep Spectrum failed") +
                                link_.ReplyLogSuffix(BytesToText(buffer_.received())));
        link_.MarkStationLink(true);
        return end(SweepOutcome::Failed);
    case Next::Stop:
        link_.LogLine(true, QStringLiteral("Stop Sweep Spectrum manual"));
        return end(SweepOutcome::ManualStop);
    default:
        break;
    }
    // A spectrum whose files could not be written is not reported as made.
    if (!files_.saveAcquisition(data_, settings, record)) return end(SweepOutcome::Failed);
    link_.LogLine(false, QStringLiteral("Stop Sweep Spectrum: ") + data_.FieldName +
                             QStringLiteral(", Peak ") + peakLevelText() + QStringLiteral(" @ ") +
                             peakFrequencyText() + QStringLiteral(" WideBand: ") +
                             wideBandText(settings.RbwIndex));
    return end(SweepOutcome::Done);
}

SweepOutcome SweepAcquisition::end(SweepOutcome outcome) {
    drainToSilence();
    view_->finished(outcome);
    return outcome;
}

void SweepAcquisition::drainToSilence() {
    AppContext& ctx = link_.context();
    Deadline limit(ctx.clock, kDrainLimit);
    std::optional<Deadline> silence;
    silence.emplace(ctx.clock, kDrainSilence);
    while (!silence->expired() && !limit.expired()) {
        ctx.pump.pump(*silence); // the sooner of the two: silence is at most its limit
        const qint64 n = link_.PortBytesWaiting();
        if (n < 0) return;
        if (n > 0) {
            link_.ReadPortBytes(n);
            silence.emplace(ctx.clock, kDrainSilence);
        }
    }
}

void SweepAcquisition::setUpFieldType(const AcquisitionRecord& record) {
    const FieldTypeSetup setup =
        fieldTypeSetup(data_.FieldType, link_.context().switches, auxUnit_);
    data_.FieldNameLong = setup.fieldNameLong;
    data_.FieldName = setup.fieldName;
    data_.FilePrefix = setup.filePrefix;
    data_.LevelFactor = setup.levelFactor;
    data_.MinUsableFreq = setup.minUsableFreq;
    data_.DynamicRange = 90.0f;
    float fullScale = setup.fullScale;
    if (data_.PreampWanted)
        fullScale = data_.FieldType == 3 && record.auxInDbm ? 22.3f : fullScale / 5.0f;
    data_.RefLevel = texts_.refLevel ? texts_.refLevel(fullScale) : fullScale;
}

SweepAcquisition::Next SweepAcquisition::start(SweepSettings& settings,
                                               const AcquisitionRecord& record) {
    if (starts_ >= kMaxStarts) return Next::Fail;
    ++starts_;
    if (!pause(0.1)) return Next::Stop;
    if (!data_.AxisEnabled[0] && !data_.AxisEnabled[1] && !data_.AxisEnabled[2])
        data_.AxisEnabled = {true, true, true};
    setUpFieldType(record);
    data_.RestartRequest = false;

    if (data_.ProbeRbwIndex != settings.RbwIndex) {
        const char digit = char('0' + settings.RbwIndex);
        if (sendBodyAndAwait(QByteArray("(b") + digit, "(b", kEchoTimeout) == Wait::Stopped)
            return Next::Stop;
        data_.ProbeRbwIndex = settings.RbwIndex;
    }
    // The step in whole Hz and the axis it gives; a span with no axis cannot be swept.
    if (!buildFrequencyAxis(settings, data_)) return Next::Fail;

    view_->preparePlot(settings, record, data_);
    if (nextAxis(true) == Wait::Stopped || !pause(0.05)) return Next::Stop;
    switch (programSweep(settings)) {
    case Wait::Stopped:
        return Next::Stop;
    case Wait::Found:
        break;
    default:
        return Next::Fail;
    }
    if (!sendGo()) return Next::Fail;
    const RbwRecord& rbw = RbwTable()[size_t(settings.RbwIndex)];
    link_.LogLine(false, QStringLiteral("Start Sweep Spectrum: ") + data_.FieldName +
                             QStringLiteral(", (") + singleText(settings.FStart) +
                             QStringLiteral(" MHz - ") + singleText(settings.FStop) +
                             QStringLiteral(" MHz), ") + singleText(settings.Step) +
                             QStringLiteral(" MHz, ") + QString::fromLatin1(rbw.Label));

    files_.removeTemporaryFiles();
    data_.SumSquares = 0.0f;
    data_.PeakLevel = 0.0f;
    data_.PeakFreq = -1.0f;
    data_.latch();
    view_->showSweepCursor(false);
    view_->sweepStarted(data_);
    view_->wideBandChanged(data_);
    return passes(settings);
}

SweepAcquisition::Wait SweepAcquisition::programSweep(const SweepSettings& settings) {
    const qint64 startHz = wholeHz(settings.FStart);
    const qint64 stepHz = wholeHz(settings.Step);
    const qint64 finalHz = wholeHz(settings.FStop) + 2 * stepHz;
    const QByteArray commands[3] = {ProbeLink::Frame("(i" + QByteArray::number(startHz)),
                                    ProbeLink::Frame("(s" + QByteArray::number(stepHz)),
                                    ProbeLink::Frame("(f" + QByteArray::number(finalHz))};
    for (int tries = 0;;) {
        Wait result = Wait::Found;
        for (const QByteArray& command : commands) {
            // The probe echoes each whole command.
            result = sendAndAwait(command, command, kEchoTimeout);
            if (result != Wait::Found) break;
        }
        if (result != Wait::Missing) return result;
        if (!pause(0.1)) return Wait::Stopped;
        link_.DrainInput();
        if (++tries == kProgrammingTries) return Wait::Missing;
    }
}

SweepAcquisition::Wait SweepAcquisition::nextAxis(bool reset) {
    for (int k = 0; k < 4; ++k) {
        if (reset) {
            data_.Axis = 0;
            reset = false;
        } else {
            data_.Axis %= 3;
        }
        ++data_.Axis;
        if (data_.AxisEnabled[size_t(data_.Axis - 1)]) break;
    }
    const char code = char(data_.FieldType == 0 ? data_.Axis : 3 + data_.Axis);
    const char range = char(data_.FieldType == 1 ? 128 : 0);
    const Wait result = sendBodyAndAwait(QByteArray("~C") + code + range, "C\r\n", kEchoTimeout);
    if (data_.PreampWanted != data_.PreampOnProbe) {
        link_.SendProbeCommand(QByteArray("~A") + char(2 + data_.PreampWanted), -1);
        data_.PreampOnProbe = data_.PreampWanted;
    }
    view_->showAxis(data_.Axis);
    return result == Wait::Stopped || stopped() ? Wait::Stopped : Wait::Found;
}

SweepAcquisition::Next SweepAcquisition::passes(SweepSettings& settings) {
    AppContext& ctx = link_.context();
    int passCount = 0;
    for (;;) {
        const double passStart = ctx.clock.secondsSinceMidnight();
        const Pass result = pass(settings);
        if (result == Pass::Stop || stopped()) return Next::Stop;
        // No stream at all: the sweep is programmed again.
        if (result == Pass::NoHeader) return Next::Restart;

        view_->showSweepCursor(elapsed(passStart, ctx.clock.secondsSinceMidnight()) > 2.0);
        link_.DrainInput();
        view_->wideBandChanged(data_);
        if (result == Pass::Complete && passCount == 2) return Next::Finish;
        if (result == Pass::Cut) {
            // A pass cut short would leave part of the band without this axis: it is swept
            // again, and that counts as a start.
            if (starts_ >= kMaxStarts) return Next::Fail;
            ++starts_;
        } else if (result == Pass::Complete) {
            if (nextAxis(false) == Wait::Stopped) return Next::Stop;
        }
        link_.DrainInput();
        if (!pause(settings.RbwIndex > 2 ? 0.15 : 0.05)) return Next::Stop;
        if (data_.RestartRequest) {
            view_->restarting();
            return Next::Restart;
        }
        link_.DrainInput();
        if (!sendGo()) return Next::Fail;
        if (result == Pass::Complete) ++passCount;
    }
}

SweepAcquisition::Pass SweepAcquisition::pass(const SweepSettings& settings) {
    AppContext& ctx = link_.context();
    ctx.pump.processEvents();
    showTuning(settings.FStart, false);
    view_->passStarted(data_);
    data_.latch();
    decoder_.startPass(data_.Axis, double(data_.LevelFactor) * (data_.PreampOnProbe ? 0.2 : 1.0));

    // The 11-byte header, read but not interpreted.
    std::optional<Deadline> silence;
    silence.emplace(ctx.clock, kStreamSilence);
    while (buffer_.available() < SweepBuffer::HeaderBytes) {
        ctx.pump.pump(*silence);
        const qsizetype before = buffer_.available();
        readWaiting();
        if (buffer_.available() != before) silence.emplace(ctx.clock, kStreamSilence);
        if (buffer_.available() >= SweepBuffer::HeaderBytes) break;
        if (stopped()) return Pass::Stop;
        if (silence->expired()) return Pass::NoHeader;
    }
    buffer_.consume(SweepBuffer::HeaderBytes);

    const double stepMhz = double(wholeHz(settings.Step)) / 1e6;
    const double startMhz = double(wholeHz(settings.FStart)) / 1e6;
    while (data_.PointIndex < data_.NPoints) {
        ctx.pump.pump(*silence);
        const qsizetype before = buffer_.available();
        readWaiting();
        if (buffer_.available() != before) silence.emplace(ctx.clock, kStreamSilence);
        bool cut = false;
        // A point is taken once a byte of the next one is there.
        while (buffer_.settled() > SweepPoint::Bytes && data_.PointIndex < data_.NPoints) {
            bool boxesChanged = false;
            const int index = data_.PointIndex;
            if (decoder_.decode(buffer_, &boxesChanged) != SweepDecoder::Result::Decoded) {
                cut = true;
                break;
            }
            showTuning(data_.PointIndex * stepMhz + startMhz, false);
            view_->pointDecoded(data_, index, boxesChanged);
        }
        if (stopped()) return Pass::Stop;
        if (data_.RestartRequest) return Pass::Restart;
        if (cut || silence->expired()) {
            showTuning(data_.PointIndex * stepMhz + startMhz, true);
            return pause(1.0) ? Pass::Cut : Pass::Stop;
        }
    }
    return Pass::Complete;
}

AcquisitionTexts unitAcquisitionTexts(int unitCode) {
    return {[unitCode](float level) { return levelText(level, unitCode).trimmed(); },
            [unitCode](float fullScale) { return fullScaleRefLevel(fullScale, unitCode); }};
}
