#pragma once

#include "sim/FieldModel.h"
#include "sim/ProbeFaults.h"
#include "sim/Scenario.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>
#include <limits>

// What the probe has been told so far.
struct ProbeSettings {
    qint64 tunedHz = 1000000;
    int rbwIndex = 0;
    int componentCode = 1; // 1..3 E on X..Z, 4..6 H on X..Z
    int range = 0;         // 128 H Mode A, 0 otherwise
    bool preamplifier = false;
    qint64 sweepStartHz = 0;
    qint64 sweepStepHz = 0;
    qint64 sweepFinalHz = 0;
};

// One simulated probe: the far end of the wire. It takes the bytes the program writes,
// recognises "#00" + body + "*" commands and queues its replies, which leave at the line rate
// after a short processing delay. Time is passed in by whoever serves the probe (seconds on
// a clock that only moves forward), so the same model runs on the virtual clock of the tests
// and on the real clock of the pseudo-terminal server.
class ProbeModel {
public:
    static constexpr double kBytesPerSecond = 3840.0; // 38400 baud, 10 bits a byte
    static constexpr int kMaxSweepPoints = 10000;
    static constexpr int kSweepHeaderBytes = 11;
    static constexpr int kSweepPointBytes = 5;

    explicit ProbeModel(StationConfig config);
    ProbeModel(const ProbeModel&) = delete;
    ProbeModel& operator=(const ProbeModel&) = delete;

    const StationConfig& config() const { return config_; }
    int port() const { return config_.port; }
    const ProbeSettings& settings() const { return settings_; }
    FaultSet& faults() { return config_.faults; }

    // Bytes from the program that have fully arrived at `now`.
    void receive(const QByteArray& bytes, double now);
    // The bytes that have left the probe by `now`, in order; each byte leaves 1/3840 s after
    // the one before it at the earliest.
    QByteArray transmit(double now);
    // When the next queued byte will have left; infinity when nothing is queued.
    double nextByteTime() const;
    qint64 queuedBytes() const;
    // Forgets queued replies and half-received commands (the probe is switched off and on).
    void reset();

    // The port is there unless the scenario's vanish plan or a run-time switch removed it.
    bool present(double now) const;
    // Run-time switch: false removes the port until true is set again.
    void setPresent(bool present);
    // Removes the port from now for `seconds`.
    void vanishFor(double now, double seconds);

    // The field value the probe reports for a component code/range at freqHz and RBW index.
    double reading(int componentCode, int range, double freqHz, int rbwIndex, double now);
    // The same without the reading-to-reading noise spread, for checking results.
    double expectedLevel(int componentCode, int range, double freqHz, int rbwIndex,
                         double now) const;
    // The factor of the sweep point encoding for a component code and range (1/8 for E,
    // 1/40 for H Mode A, 1/400 for H Mode B).
    static double sweepFactor(int componentCode, int range);
    static double rbwHz(int rbwIndex);
    // One 5-byte sweep point for point index `index`, level and encoding factor.
    static QByteArray encodePoint(int index, double level, double factor);
    // The level a 5-byte point stands for, by the same rule the program decodes with.
    static double decodePoint(const QByteArray& point, double factor);

    // Framed commands received, oldest first (the last 10000), and commands not understood.
    const std::deque<QByteArray>& commands() const { return commands_; }
    void clearCommands() { commands_.clear(); }
    int unknownCommands() const { return unknownCommands_; }

    // Called for every command with the bytes queued in reply (empty when silent).
    using Observer = std::function<void(const QByteArray& command, const QByteArray& reply)>;
    void setObserver(Observer observer) { observer_ = std::move(observer); }

private:
    struct Segment {
        double notBefore = 0;
        QByteArray bytes;
    };

    void parseInput(double now);
    void handle(const QByteArray& body, double now);
    QByteArray buildSweep(double now);
    // stallAt >= 0: the reply stops after that many bytes (the stall fault).
    void queueReply(const QString& key, const QByteArray& command, QByteArray reply, double ready,
                    double extraDelay = 0, qsizetype stallAt = -1);
    double headStart() const;

    StationConfig config_;
    FieldModel field_;
    ProbeSettings settings_;
    QByteArray input_;
    std::deque<Segment> output_;
    qint64 headSent_ = 0;
    double lineFreeAt_ = -std::numeric_limits<double>::infinity();
    std::deque<QByteArray> commands_;
    int unknownCommands_ = 0;
    bool gone_ = false;
    double vanishedUntil_ = -std::numeric_limits<double>::infinity();
    Observer observer_;
};
