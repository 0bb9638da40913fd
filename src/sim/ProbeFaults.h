#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The ways a simulated probe can misbehave. Each can be switched per station, from a
// scenario file or while the simulator runs.
enum class FaultKind {
    Silent,      // no reply at all
    Late,        // replies held back by `delay` seconds (longer than the program's time-out)
    Split,       // replies cut into `pieces` pieces with `gap` seconds between them
    Garbage,     // `text` (or a few stray bytes) sent before the reply
    Notice,      // the unsolicited notice "#00@%*" inserted into the reply
    BadSequence, // the sequence byte of sweep point `point` is wrong
    BatteryZero, // the battery reading is 000
    BadSerial,   // the serial number reply is not a valid serial number
    Stall,       // the sweep stream stops after point `point` for `duration` seconds or for good
};
constexpr int kFaultKindCount = 9;

// Name used in scenario files and on the simulator's control input ("silent", "late", ...).
QString faultName(FaultKind kind);
std::optional<FaultKind> faultFromName(const QString& name);

// Where the notice goes inside a reply.
enum class NoticePlace { Before, Middle, After };

struct Fault {
    bool enabled = false;
    // Replies still to affect; -1 affects every reply.
    int count = -1;
    // Command keys ("(b", "(t", "~C", "~A", "?S0", "(v", "t", "V", "(i", "(s", "(f", "(g")
    // the fault applies to; empty means every command.
    QStringList commands;
    double delay = 4.0;    // Late
    int pieces = 3;        // Split
    double gap = 0.05;     // Split
    QByteArray text;       // Garbage bytes, BadSerial reply text (defaults when empty)
    int point = 10;        // BadSequence, Stall: 0-based point index within the pass
    double duration = 0.0; // Stall: seconds the stream stays silent; 0 stops it for good
    NoticePlace place = NoticePlace::Middle; // Notice

    // The fault as it starts: enabled, with the command filter the kind needs by default.
    static Fault defaults(FaultKind kind);
};

// The port disappearing for a while and coming back.
struct VanishPlan {
    bool enabled = false;
    double at = 0.0;       // seconds after the simulator started
    double duration = 0.0; // <= 0: gone for good
};

class FaultSet {
public:
    FaultSet();
    Fault& operator[](FaultKind kind) { return faults_[size_t(kind)]; }
    const Fault& operator[](FaultKind kind) const { return faults_[size_t(kind)]; }

    // True when the fault applies to a reply of command `key`; uses up one of its count.
    bool take(FaultKind kind, const QString& key);
    // As take() but without using up the count.
    bool wouldApply(FaultKind kind, const QString& key) const;

    VanishPlan vanish;

private:
    std::array<Fault, kFaultKindCount> faults_;
};

// Reads a scenario's "faults" object. Unknown names and wrong types fail with a message.
bool parseFaults(const QJsonValue& value, FaultSet& out, QString* error);
// Reads one fault's setting: true/false, a count, or an object with its parameters.
bool parseFault(FaultKind kind, const QJsonValue& value, Fault& out, QString* error);
