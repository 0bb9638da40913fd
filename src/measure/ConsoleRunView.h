#pragma once

#include "link/LinkView.h"
#include "measure/RunView.h"

#include <QString>
#include <array>
#include <functional>

class Clock;

// A run shown as text lines, for runs without a desktop: one line per reading (station,
// frequency, E and H with their marks, battery), one per failed visit saying which failure it
// was, one per spectrum acquisition, the messages and the polling result. Serial numbers come
// from the run state through the serial source.
class ConsoleRunView : public NullRunView, public LinkView {
public:
    using Sink = std::function<void(const QString& line)>;
    // The serial number of a slot, empty when unknown.
    using SerialSource = std::function<QString(int slot)>;
    ConsoleRunView(const Clock& clock, Sink sink, SerialSource serialOf = {});

    void lockForRun() override;
    void unlockAfterRun() override;
    void showPollingLabel(const QString& caption, quint32, quint32, int) override;
    void message(const QString& text, MessageIcon icon) override;
    void readingShown(const ReadingUpdate& u) override;
    void visitFailed(int slot, const QString& reason) override;
    void spectrumSwept(const SpectrumSweepUpdate& u) override;

    // A failed link is told by visitFailed, with its reason.
    void markStationLink(int, bool, quint32) override {}
    void showBatteryLevel(int slot, const BatteryDisplay& display) override;
    void stampLinkTime(int, int, const QString&) override {}

private:
    void line(const QString& text);
    QString stationName(int slot, const QString& serial) const;

    const Clock& clock_;
    Sink sink_;
    SerialSource serialOf_;
    std::array<QString, 16> battery_;
};
