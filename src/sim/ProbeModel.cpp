#include "sim/ProbeModel.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMaxBody = 64;
constexpr size_t kMaxCommandLog = 10000;
constexpr double kMeasureSeconds = 0.04; // a reading or a sweep start takes a little longer
const QByteArray kPrefix = "#00";
const QByteArray kDone = "C\r\n";
const QByteArray kNotice = "#00@%*";
const QByteArray kFirmwarePrefix = "VERSION:"; // 8 bytes the program skips
const QByteArray kDefaultGarbage("\x7f\x15\xe3\x02\x91", 5);

// Digits only, 1 to 10 of them.
bool parseHz(const QByteArray& text, qint64& hz) {
    if (text.isEmpty() || text.size() > 10) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    hz = text.toLongLong();
    return true;
}

QString commandKey(const QByteArray& body) {
    if (body.startsWith("?S0")) return QStringLiteral("?S0");
    if (body.size() >= 2 && (body[0] == '(' || body[0] == '~'))
        return QString::fromLatin1(body.left(2));
    return QString::fromLatin1(body.left(1));
}

// A decimal text without exponent, about five significant digits, as the probe prints it.
QByteArray decimalText(double value) {
    if (!std::isfinite(value) || value <= 0) return "0.0000";
    const int magnitude = int(std::floor(std::log10(value)));
    const int decimals = std::clamp(4 - magnitude, 1, 9);
    return QByteArray::number(value, 'f', decimals);
}
} // namespace

ProbeModel::ProbeModel(StationConfig config) : config_(std::move(config)), field_(config_) {}

double ProbeModel::rbwHz(int rbwIndex) {
    static const double table[6] = {300000, 100000, 30000, 10000, 3000, 1000};
    return table[std::clamp(rbwIndex, 0, 5)];
}

double ProbeModel::sweepFactor(int componentCode, int range) {
    if (componentCode >= 4) return range == 128 ? 1.0 / 40.0 : 1.0 / 400.0;
    return 1.0 / 8.0;
}

QByteArray ProbeModel::encodePoint(int index, double level, double factor) {
    // level = M * sqrt(2^E) / sqrt(64) * factor: the largest mantissa that fits gives the
    // finest resolution.
    double raw = factor > 0 && std::isfinite(level) && level > 0 ? level * 8.0 / factor : 0.0;
    raw = std::min(raw, 65535.0 * std::pow(2.0, 200.0));
    int exponent = 0;
    if (raw > 65535.0) exponent = int(std::ceil(2.0 * std::log2(raw / 65535.0)));
    double mantissa = std::round(raw / std::pow(2.0, exponent / 2.0));
    if (mantissa > 65535.0) {
        ++exponent;
        mantissa = std::round(raw / std::pow(2.0, exponent / 2.0));
    }
    const auto m = quint16(std::clamp(mantissa, 0.0, 65535.0));
    const auto e = quint16(exponent);
    QByteArray point(kSweepPointBytes, '\0');
    point[0] = char((index + 1) % 256);
    point[1] = char(e >> 8);
    point[2] = char(e & 0xFF);
    point[3] = char(m >> 8);
    point[4] = char(m & 0xFF);
    return point;
}

double ProbeModel::decodePoint(const QByteArray& point, double factor) {
    if (point.size() < kSweepPointBytes) return 0.0;
    const auto byte = [&](int i) { return double(quint8(point[i])); };
    const double e = byte(1) * 256 + byte(2);
    const double m = byte(3) * 256 + byte(4);
    return m * std::sqrt(std::pow(2.0, e)) / std::sqrt(64.0) * factor;
}

double ProbeModel::reading(int componentCode, int range, double freqHz, int rbwIndex, double now) {
    (void)range;
    const auto field = componentCode >= 4 ? FieldModel::Field::H : FieldModel::Field::E;
    return field_.reading(field, (componentCode - 1) % 3, freqHz, rbwHz(rbwIndex), now);
}

double ProbeModel::expectedLevel(int componentCode, int range, double freqHz, int rbwIndex,
                                 double now) const {
    (void)range;
    const auto field = componentCode >= 4 ? FieldModel::Field::H : FieldModel::Field::E;
    return field_.level(field, (componentCode - 1) % 3, freqHz, rbwHz(rbwIndex), now, 0.0);
}

void ProbeModel::receive(const QByteArray& bytes, double now) {
    input_ += bytes;
    parseInput(now);
}

void ProbeModel::parseInput(double now) {
    for (;;) {
        const qsizetype start = input_.indexOf(kPrefix);
        if (start < 0) {
            // Keep a tail that may be the beginning of a prefix still on its way.
            if (input_.size() > 2) input_.remove(0, input_.size() - 2);
            return;
        }
        input_.remove(0, start);
        if (input_.size() < 4) return;
        if (input_[3] == '~') {
            // Fixed-length bodies: their parameter bytes may take any value.
            if (input_.size() < 5) return;
            const int params = input_[4] == 'C' ? 2 : input_[4] == 'A' ? 1 : 0;
            const qsizetype length = 3 + 2 + params + 1;
            if (input_.size() < length) return;
            if (input_[length - 1] != '*') {
                input_.remove(0, kPrefix.size());
                ++unknownCommands_;
                continue;
            }
            const QByteArray body = input_.mid(3, length - 4);
            input_.remove(0, length);
            handle(body, now);
            continue;
        }
        const qsizetype end = input_.indexOf('*', 3);
        const qsizetype next = input_.indexOf(kPrefix, 3);
        if (next >= 0 && (end < 0 || next < end)) {
            // A command cut short by the next one: the probe forgets the broken one.
            input_.remove(0, next);
            ++unknownCommands_;
            continue;
        }
        if (end < 0) {
            if (input_.size() > 3 + kMaxBody) {
                input_.remove(0, kPrefix.size());
                ++unknownCommands_;
                continue;
            }
            return;
        }
        const QByteArray body = input_.mid(3, end - 3);
        input_.remove(0, end + 1);
        handle(body, now);
    }
}

void ProbeModel::handle(const QByteArray& body, double now) {
    const QByteArray command = kPrefix + body + '*';
    commands_.push_back(command);
    while (commands_.size() > kMaxCommandLog)
        commands_.pop_front();

    const QString key = commandKey(body);
    const double ready = now + config_.replyDelay;
    qint64 hz = 0;

    if (body.size() == 3 && body.startsWith("(b") && body[2] >= '0' && body[2] <= '5') {
        settings_.rbwIndex = body[2] - '0';
        queueReply(key, command, command, ready);
    } else if (body.startsWith("(t ") && parseHz(body.mid(3), hz)) {
        settings_.tunedHz = hz;
        queueReply(key, command, command, ready);
    } else if ((body.startsWith("(i") || body.startsWith("(s") || body.startsWith("(f")) &&
               parseHz(body.mid(2), hz)) {
        (body[1] == 'i'   ? settings_.sweepStartHz
         : body[1] == 's' ? settings_.sweepStepHz
                          : settings_.sweepFinalHz) = hz;
        queueReply(key, command, command, ready);
    } else if (body == "(g") {
        QByteArray sweep = buildSweep(now);
        qsizetype stallAt = -1;
        if (config_.faults.take(FaultKind::Stall, key))
            stallAt = std::min<qsizetype>(
                sweep.size(),
                kSweepHeaderBytes +
                    qsizetype(config_.faults[FaultKind::Stall].point + 1) * kSweepPointBytes);
        queueReply(key, command, sweep, ready, kMeasureSeconds, stallAt);
    } else if (body == "(v") {
        const double value = reading(settings_.componentCode, settings_.range,
                                     double(settings_.tunedHz), settings_.rbwIndex, now);
        queueReply(key, command, decimalText(value) + '*', ready, kMeasureSeconds);
    } else if (body == "?S0") {
        QByteArray serial = config_.serial;
        if (config_.faults.take(FaultKind::BadSerial, key)) {
            const QByteArray& text = config_.faults[FaultKind::BadSerial].text;
            if (!text.isEmpty()) {
                serial = text;
            } else {
                // Position 5 must be a letter: a digit there makes the number invalid.
                serial = serial.leftJustified(10, '0', true);
                serial[4] = '3';
            }
        }
        queueReply(key, command, serial + '*', ready);
    } else if (body == "t") {
        int raw = std::clamp(config_.batteryRaw, 0, 999);
        if (config_.faults.take(FaultKind::BatteryZero, key)) raw = 0;
        const QByteArray reply = "Vbat: " + QByteArray::number(raw).rightJustified(3, '0') +
                                 "\r\n*"; // 12 bytes, the value in characters 7 to 9
        queueReply(key, command, reply, ready);
    } else if (body == "V") {
        queueReply(key, command, kFirmwarePrefix + config_.firmware + '*', ready);
    } else if (body.size() == 4 && body.startsWith("~C") && quint8(body[2]) >= 1 &&
               quint8(body[2]) <= 6 && (quint8(body[3]) == 0 || quint8(body[3]) == 128)) {
        settings_.componentCode = quint8(body[2]);
        settings_.range = quint8(body[3]);
        queueReply(key, command, kDone, ready);
    } else if (body.size() == 3 && body.startsWith("~A") &&
               (quint8(body[2]) == 2 || quint8(body[2]) == 3)) {
        settings_.preamplifier = quint8(body[2]) == 3;
        queueReply(key, command, kDone, ready);
    } else {
        ++unknownCommands_;
        if (observer_) observer_(command, QByteArray());
    }
}

QByteArray ProbeModel::buildSweep(double now) {
    const ProbeSettings& s = settings_;
    qint64 count = 0;
    if (s.sweepStepHz > 0 && s.sweepFinalHz >= s.sweepStartHz)
        count = (s.sweepFinalHz - s.sweepStartHz) / s.sweepStepHz + 1;
    count = std::min<qint64>(count, kMaxSweepPoints);

    QByteArray out;
    out.reserve(kSweepHeaderBytes + count * kSweepPointBytes + 1);
    // Header: "SWP", component code and range, point count and start frequency (big-endian).
    out += "SWP";
    out += char(s.componentCode);
    out += char(s.range);
    out += char((count >> 8) & 0xFF);
    out += char(count & 0xFF);
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((s.sweepStartHz >> shift) & 0xFF);

    const double factor = sweepFactor(s.componentCode, s.range) * (s.preamplifier ? 0.2 : 1.0);
    const bool badSequence = config_.faults.take(FaultKind::BadSequence, QStringLiteral("(g"));
    const int badPoint = config_.faults[FaultKind::BadSequence].point;
    for (qint64 i = 0; i < count; ++i) {
        const double hz = double(s.sweepStartHz + i * s.sweepStepHz);
        const double level = reading(s.componentCode, s.range, hz, s.rbwIndex, now);
        QByteArray point = encodePoint(int(i), level, factor);
        if (badSequence && i == badPoint) point[0] = char((i + 2) % 256);
        out += point;
    }
    out += '*';
    return out;
}

void ProbeModel::queueReply(const QString& key, const QByteArray& command, QByteArray reply,
                            double ready, double extraDelay, qsizetype stallAt) {
    FaultSet& faults = config_.faults;
    const qsizetype cleanSize = reply.size();
    if (faults.take(FaultKind::Silent, key)) {
        if (observer_) observer_(command, QByteArray());
        return;
    }
    if (faults.take(FaultKind::Notice, key)) {
        const NoticePlace place = faults[FaultKind::Notice].place;
        const qsizetype at = place == NoticePlace::Before  ? 0
                             : place == NoticePlace::After ? reply.size()
                                                           : reply.size() / 2;
        reply.insert(at, kNotice);
    }
    if (faults.take(FaultKind::Garbage, key)) {
        const QByteArray& text = faults[FaultKind::Garbage].text;
        reply.prepend(text.isEmpty() ? kDefaultGarbage : text);
    }
    ready += extraDelay;
    if (faults.take(FaultKind::Late, key)) ready += faults[FaultKind::Late].delay;

    if (stallAt >= 0) {
        // The bytes up to the stall point (moved by what the other faults added) leave as
        // usual; the rest follows after the stall, or never.
        stallAt = std::min(stallAt + reply.size() - cleanSize, reply.size());
        output_.push_back(Segment{ready, reply.left(stallAt)});
        const double duration = faults[FaultKind::Stall].duration;
        if (duration > 0 && stallAt < reply.size())
            output_.push_back(
                Segment{ready + double(stallAt) / kBytesPerSecond + duration, reply.mid(stallAt)});
        if (observer_) observer_(command, reply);
        return;
    }
    int pieces = 1;
    double gap = 0;
    if (faults.take(FaultKind::Split, key)) {
        pieces = std::clamp<qsizetype>(faults[FaultKind::Split].pieces, 1,
                                       std::max<qsizetype>(reply.size(), 1));
        gap = faults[FaultKind::Split].gap;
    }
    const qsizetype size = reply.size();
    for (int i = 0; i < pieces; ++i) {
        const qsizetype from = size * i / pieces;
        const qsizetype to = size * (i + 1) / pieces;
        // Each piece waits for the one before it to leave, then for the gap.
        output_.push_back(
            Segment{ready + i * gap + double(from) / kBytesPerSecond, reply.mid(from, to - from)});
    }
    if (observer_) observer_(command, reply);
}

double ProbeModel::headStart() const {
    return std::max(lineFreeAt_, output_.front().notBefore);
}

QByteArray ProbeModel::transmit(double now) {
    QByteArray out;
    while (!output_.empty()) {
        const Segment& head = output_.front();
        const double start = headStart();
        // Byte k of the segment has left at start + (k + 1) / rate.
        const double elapsed = (now - start) * kBytesPerSecond;
        const qint64 done =
            elapsed <= 0 ? 0
                         : std::min<qint64>(qint64(std::floor(elapsed + 1e-6)), head.bytes.size());
        if (done > headSent_) {
            out += head.bytes.mid(headSent_, done - headSent_);
            headSent_ = done;
        }
        if (headSent_ < head.bytes.size()) break;
        lineFreeAt_ = start + double(head.bytes.size()) / kBytesPerSecond;
        output_.pop_front();
        headSent_ = 0;
    }
    return out;
}

double ProbeModel::nextByteTime() const {
    if (output_.empty()) return std::numeric_limits<double>::infinity();
    return headStart() + double(headSent_ + 1) / kBytesPerSecond;
}

qint64 ProbeModel::queuedBytes() const {
    qint64 n = -headSent_;
    for (const Segment& s : output_)
        n += s.bytes.size();
    return n;
}

void ProbeModel::reset() {
    input_.clear();
    output_.clear();
    headSent_ = 0;
}

bool ProbeModel::present(double now) const {
    if (gone_ || now < vanishedUntil_) return false;
    const VanishPlan& plan = config_.faults.vanish;
    if (!plan.enabled || now < plan.at) return true;
    return plan.duration > 0 && now >= plan.at + plan.duration;
}

void ProbeModel::setPresent(bool present) {
    gone_ = !present;
    if (present) {
        vanishedUntil_ = -std::numeric_limits<double>::infinity();
        config_.faults.vanish.enabled = false;
    }
}

void ProbeModel::vanishFor(double now, double seconds) {
    vanishedUntil_ = now + seconds;
}
