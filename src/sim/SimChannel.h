#pragma once

#include "link/SerialChannel.h"
#include "sim/SimNetwork.h"

#include <memory>

class Clock;

// A serial channel whose far ends are simulated probes. Replies become readable as the
// network's clock passes (3840 bytes a second after a short delay), so on a VirtualClock a
// test sees exactly the timing a real port would give, only faster.
//
//   VirtualClock clock;
//   SimChannel channel(clock, defaultScenario());   // stations on ports 1, 2, 3
//   channel.probe(2)->faults()[FaultKind::Silent].enabled = true;
class SimChannel : public SerialChannel {
public:
    // A channel onto a network shared with other channels (a port opens for one at a time).
    explicit SimChannel(SimNetwork& network);
    // A channel with a network of its own, empty or filled from a scenario.
    explicit SimChannel(Clock& clock);
    SimChannel(Clock& clock, const Scenario& scenario);
    ~SimChannel() override;
    SimChannel(const SimChannel&) = delete;
    SimChannel& operator=(const SimChannel&) = delete;

    SimNetwork& network() { return *network_; }
    ProbeModel* probe(int port) { return network_->probe(port); }
    // Replaces the stations by those of a scenario file; false with a message on bad input.
    bool loadScenarioFile(const QString& path, QString* error);
    // The port that is open, 0 when none.
    int openPort() const { return open_ ? port_ : 0; }

    bool open(int port) override;
    void close() override;
    bool isOpen() const override { return open_; }
    qint64 write(const QByteArray& data, int timeoutMs) override;
    qint64 bytesWaiting() override;
    bool read(qint64 count, QByteArray& out) override;
    bool flushOutput() override;
    void waitForInput(int ms) override;
    // How long waitForInput(ms) would block now, in seconds: 0 on virtual time and when bytes
    // have arrived that bytesWaiting() or read() has not reported yet; otherwise until the next
    // byte is due, at most ms (all of ms without an open, present port). Bytes already
    // reported do not end a wait, or a wait that leaves them unread would spin.
    double blockingSeconds(int ms);
    // Until the open probe's next byte is due; infinity when it sends nothing.
    double secondsToNextInput() override;

private:
    // The open probe when it is still there, else nullptr.
    ProbeModel* live();

    std::unique_ptr<SimNetwork> ownNetwork_;
    SimNetwork* network_;
    bool virtualTime_;
    int port_ = 0;
    bool open_ = false;
    QByteArray input_;
    qsizetype seen_ = 0; // bytes of input_ that bytesWaiting() or read() has reported
};
