#include "link/ProbeCommands.h"

#include "app/AppContext.h"
#include "app/Deadline.h"
#include "app/Switches.h"
#include "app/ValueLists.h"
#include "link/ByteSequence.h"
#include "link/ProbeLink.h"

#include <QLocale>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>

namespace {
constexpr double kCommandTimeout = 3.0;
constexpr double kBatterySilence = 0.3;
constexpr int kBatteryReplyBytes = 12;
constexpr double kFirmwareTimeout = 0.2;
constexpr int kFirmwareTries = 5;
constexpr int kSerialExchanges = 3;
constexpr float kLowBatteryVolts = 3.15f;

const QByteArray kCompletion("C\r\n");

// Trims spaces only: CR and LF in a reply are data.
QString trimSpaces(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == QLatin1Char(' '))
        ++b;
    while (e > b && text[e - 1] == QLatin1Char(' '))
        --e;
    return text.mid(b, e - b);
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
// Letters in either case; checked per character so that no case mapping changes the length.
bool isAsciiLetter(QChar c) {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}
} // namespace

void ProbeCommands::finishExchange() {
    link_.DrainInput();
    link_.FlushOutput();
}

void ProbeCommands::SetRbw(int index) {
    link_.StampLinkTime();
    const QStringList names = ValueLists::rbwNames();
    if (index < 0 || index >= names.size()) {
        // No digit exists for it: nothing is sent, and the caller sees a failed link.
        link_.LogLine(true, QStringLiteral("Set RBW: ") + QString::number(index) +
                                QStringLiteral(" failed"));
        link_.MarkStationLink(true);
        return;
    }
    const QByteArray body = "(b" + QByteArray(1, char('0' + index));
    const QString name = names[index];
    link_.ExecuteTransaction(kCommandTimeout, "#00" + body, ProbeLink::Frame(body),
                             QStringLiteral("Set RBW: ") + name + QStringLiteral(" failed"),
                             QStringLiteral("Set RBW: ") + name, false);
    finishExchange();
}

QByteArray ProbeCommands::FrequencyHzText(double mhz) {
    double hz = mhz * 1e6;
    if (!std::isfinite(hz)) hz = 0;
    // Whole Hz, kept inside what a 64-bit integer holds.
    hz = std::clamp(hz, -9e15, 9e15);
    return QByteArray::number(qint64(std::llround(hz)));
}

void ProbeCommands::SetFrequency(double mhz) {
    link_.StampLinkTime();
    const QByteArray body = "(t " + FrequencyHzText(mhz);
    const QString text = QStringLiteral("Set frequency: ") +
                         QString::number(mhz, 'f', QLocale::FloatingPointShortest) +
                         QStringLiteral(" MHz");
    link_.ExecuteTransaction(kCommandTimeout, "#00" + body, ProbeLink::Frame(body),
                             text + QStringLiteral(" failed"), text, false);
    finishExchange();
}

void ProbeCommands::SelectComponent(const QByteArray& command, const QString& name) {
    link_.StampLinkTime();
    link_.ExecuteTransaction(kCommandTimeout, kCompletion, command,
                             QStringLiteral("Set ") + name + QStringLiteral(" failed"),
                             QStringLiteral("Set ") + name, false);
    finishExchange();
}

void ProbeCommands::SetPreamplifier(int on) {
    link_.StampLinkTime();
    const bool isOn = on != 0;
    QByteArray body;
    body.append(char(0x7E)).append('A').append(char(isOn ? 3 : 2));
    const QString text =
        isOn ? QStringLiteral("Set Preamplifier ON") : QStringLiteral("Set Preamplifier OFF");
    link_.ExecuteTransaction(kCommandTimeout, kCompletion, ProbeLink::Frame(body),
                             text + QStringLiteral(" failed"), text, false);
    finishExchange();
}

float ProbeCommands::ReplyNumber(const QString& text) {
    // "." is the only decimal point in a reply; a "," ends the number.
    QString t = trimSpaces(text);
    const qsizetype comma = t.indexOf(QLatin1Char(','));
    if (comma >= 0) t.truncate(comma);
    bool ok = false;
    const double v = leadingNumber(t, &ok);
    if (!ok || !std::isfinite(v)) return 0.0f;
    return float(std::clamp(v, double(-FLT_MAX), double(FLT_MAX)));
}

float ProbeCommands::ReadField(const QString& label, bool logged) {
    link_.StampLinkTime();
    const QByteArray reply = link_.ExecuteTransaction(
        kCommandTimeout, "*", "#00(v*",
        QStringLiteral("Reading field ") + label + QStringLiteral(" failed"),
        QStringLiteral("Reading field ") + label, true, logged);
    finishExchange();
    return ReplyNumber(BytesToText(reply));
}

bool ProbeCommands::IsValidSerialNumber(const QString& text) {
    if (text.size() != 10) return false;
    const QString& s = text;
    auto digit = [&](int i) { return isAsciiDigit(s[i]); };
    auto letter = [&](int i) { return isAsciiLetter(s[i]); };
    return digit(0) && digit(1) && digit(2) && (digit(3) || letter(3)) && letter(4) && digit(5) &&
           (s[6] == QLatin1Char('0') || s[6] == QLatin1Char('1')) && digit(7) && digit(8) &&
           digit(9);
}

QString ProbeCommands::ReadSerialNumber() {
    link_.StampLinkTime();
    AppContext& ctx = link_.context();
    for (int attempts = 1;; ++attempts) {
        const QByteArray reply = link_.ExecuteTransaction(
            kCommandTimeout, "*", "#00?S0*", QStringLiteral("Reading serial number failed"),
            QStringLiteral("Reading serial number"), true);
        finishExchange();
        const QString s = BytesToText(reply).left(10);
        if (IsValidSerialNumber(s)) return s;
        if (attempts >= kSerialExchanges) {
            link_.LogLine(true,
                          QStringLiteral("Reading serial number failed") + link_.ReplyLogSuffix(s));
            link_.MarkStationLink(true);
            link_.setCommError(true);
            return s;
        }
        if (ctx.flags.StopRequest) return s;
        link_.WaitSeconds(1.0);
    }
}

BatteryDisplay ProbeCommands::BatteryLevel(int raw) {
    BatteryDisplay d;
    d.volts = float(raw) / 256.0f * 4.52f;
    const double level = roundHalfEven((double(d.volts) - 3.6) / 0.3 * 11.0);
    d.notches = int(std::clamp(level, 0.0, 11.0)) + 1;
    d.low = !(d.volts > kLowBatteryVolts);
    if (d.low) {
        d.colorBegin = rgbValue(255, 128, 128);
        d.colorEnd = rgbValue(255, 0, 0);
    } else {
        d.colorBegin = rgbValue(128, 255, 128);
        d.colorEnd = rgbValue(0, 255, 0);
    }
    // The caption truncates (3.178 V shows as 3.17), it does not round.
    d.caption = QString::number(double(d.volts), 'g', 7).left(4) + QStringLiteral(" V ");
    return d;
}

QString ProbeCommands::ShowBatteryLevel(int raw, int station) {
    const BatteryDisplay d = BatteryLevel(raw);
    if (LinkView* view = link_.view()) view->showBatteryLevel(station, d);
    return d.caption;
}

void ProbeCommands::ReadBattery(int station) {
    AppContext& ctx = link_.context();
    int attempts = 0;
    while (true) {
        link_.StampLinkTime();
        link_.WaitSeconds(0.05);
        link_.DrainInput();
        link_.WaitSeconds(0.05);
        QByteArray reply;
        link_.SendProbeCommand("t", -1);

        // Every arrival restarts the silence timer.
        std::optional<Deadline> silence;
        silence.emplace(ctx.clock, kBatterySilence);
        bool complete = false;
        while (true) {
            ctx.pump.pump(*silence);
            const qint64 n = link_.PortBytesWaiting();
            if (n > 0) {
                silence.emplace(ctx.clock, kBatterySilence);
                reply = AppendBytes(reply, link_.ReadPortBytes(n));
                if (reply.size() >= kBatteryReplyBytes) {
                    complete = true;
                    break;
                }
            }
            if (silence->expired()) break;
        }
        if (!complete) {
            if (++attempts >= 3) {
                link_.LogLine(true, QStringLiteral("Reading battery failed") +
                                        link_.ReplyLogSuffix(BytesToText(reply)));
                link_.MarkStationLink(true);
                link_.setCommError(true);
                return;
            }
            link_.WaitSeconds(0.1);
            continue;
        }

        ctx.traffic.LogReplyTraffic(reply);
        const QString t = trimSpaces(BytesToText(reply)).left(9);
        // The value is a 16-bit one: a garbled "9e9" must not overflow the conversion.
        const int raw =
            int(std::clamp(roundHalfEven(double(ReplyNumber(t.right(3)))), -32768.0, 32767.0));
        if (raw != 0) {
            const QString caption = ShowBatteryLevel(raw, station);
            link_.LogLine(false, QStringLiteral("Reading battery: ") + caption);
            return;
        }
        // "000" is a garbled reading, not an empty battery.
        if (++attempts >= 3) {
            link_.LogLine(true, QStringLiteral("Reading battery failed") + link_.ReplyLogSuffix(t));
            link_.MarkStationLink(true);
            link_.setCommError(true);
            return;
        }
        link_.WaitSeconds(0.1);
    }
}

QString ProbeCommands::ReadFirmware() {
    bool found = false;
    for (int attempt = 0; attempt < kFirmwareTries && !found; ++attempt) {
        link_.ClearReceiveBuffer();
        link_.SendProbeCommand("V", -1);
        found = link_.WaitForReplyEnd(kFirmwareTimeout, "*") == 0;
    }
    if (!found) {
        link_.LogLine(true, QStringLiteral("Reading firmware failed") +
                                link_.ReplyLogSuffix(BytesToText(link_.receiveBuffer())));
        link_.MarkStationLink(true);
        return {};
    }
    // The first eight bytes are the echo of the command.
    const QString text = BytesToText(link_.receiveBuffer().mid(8));
    if (link_.context().switches.segnaTutto())
        link_.LogLine(false, QStringLiteral("Reading firmware: ") + text);
    finishExchange();
    return text;
}

QString ProbeCommands::FirmwareRelease(const QString& text) {
    const qsizetype at = text.indexOf(QStringLiteral("REL"), 0, Qt::CaseInsensitive);
    if (at < 0) return {};
    return text.mid(at + 4, 4);
}

const std::array<QByteArray, 9>& ProbeCommands::ComponentSelectCommands() {
    // Code byte and range byte per row; range 128 selects H Mode A.
    static const std::array<QByteArray, 9> commands = [] {
        const unsigned char rows[9][2] = {{1, 0}, {2, 0},   {3, 0},   {4, 0},  {5, 0},
                                          {6, 0}, {4, 128}, {5, 128}, {6, 128}};
        std::array<QByteArray, 9> out;
        for (size_t i = 0; i < out.size(); ++i) {
            QByteArray body;
            body.append(char(0x7E)).append('C').append(char(rows[i][0])).append(char(rows[i][1]));
            out[i] = ProbeLink::Frame(body);
        }
        return out;
    }();
    return commands;
}
