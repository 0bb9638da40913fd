#pragma once

#include "link/LinkView.h"
#include "measure/RunView.h"

#include <QString>
#include <array>
#include <functional>

class Clock;

// A run shown as text lines, for runs without a desktop: one line per reading (station,
// frequency, E and H with their marks, battery), one per failed visit saying which failure it
// was, one per spectrum acquisition, the messages and the polling result.
class ConsoleRunView : public NullRunView, public LinkView {
public:
    using Sink = std::function<void(const QString& line)>;
    ConsoleRunView(const Clock& clock, Sink sink);

    void lockForRun() override;
    void unlockAfterRun() override;
    void setSerialCell(int slot, const QString& serial) override;
    void showPollingLabel(const QString& caption, quint32, quint32, int) override;
    void message(const QString& text, MessageIcon icon) override;
    void readingShown(const ReadingUpdate& u) override;
    void visitFailed(int slot, const QString& reason) override;
    void spectrumSwept(const SpectrumSweepUpdate& u) override;

    // A failed link is told by visitFailed, with its reason.
    void markStationLink(int, bool, quint32) override {}
    void showBatteryLevel(int slot, const BatteryDisplay& display) override;
    void stampLinkTime(int, int, const QString&) override {}
    QString serialCell(int slot) const override;

private:
    void line(const QString& text);
    QString stationName(int slot) const;

    const Clock& clock_;
    Sink sink_;
    std::array<QString, 16> serials_;
    std::array<QString, 16> battery_;
};
