#include "link/ProbeLink.h"

#include "app/AppContext.h"
#include "app/Deadline.h"
#include "app/ValueLists.h"
#include "link/ByteSequence.h"
#include "link/SerialChannel.h"

namespace {
constexpr int kDrainRounds = 500;
constexpr int kTransactionTries = 3;

// Write time-out of the port: a fixed second plus 10 ms per byte.
int writeTimeoutMs(qsizetype bytes) {
    return 1000 + 10 * int(qMin<qsizetype>(bytes, 1 << 20));
}

QString portText(int port) {
    return QStringLiteral("Port ") + QString::number(port);
}
} // namespace

ProbeLink::ProbeLink(AppContext& ctx, SerialChannel& channel, LinkView* view)
    : ctx_(ctx), channel_(channel), view_(view) {}

void ProbeLink::setCurrentStation(int slot, const QString& serial) {
    currentStation_ = slot;
    currentSerial_ = serial;
}

// --- port channel -----------------------------------------------------------------------------

void ProbeLink::OpenStationPort(int port) {
    currentPort_ = port;
    // A handle left from an earlier failed step is released before the new open.
    if (channel_.isOpen()) channel_.close();
    if (port < 1 || !channel_.open(port)) {
        LogLine(true, portText(port) + QStringLiteral(" not available"));
        MarkStationLink(true);
        return;
    }
    if (ctx_.switches.segnaTutto()) LogLine(false, portText(port) + QStringLiteral(" open"));
    MarkStationLink(false);
    WaitSeconds(1.0);
}

void ProbeLink::logClose() {
    if (ctx_.switches.segnaTutto())
        LogLine(false, currentPort_ == 0 ? QStringLiteral("Port close")
                                         : portText(currentPort_) + QStringLiteral(" close"));
}

void ProbeLink::CloseStationPort() {
    channel_.close();
    logClose();
    MarkStationLink(false);
}

void ProbeLink::recoverPort() {
    channel_.close();
    logClose();
    OpenStationPort(currentPort_);
    WaitSeconds(0.5);
}

bool ProbeLink::WritePortText(const QByteArray& text) {
    if (text.isEmpty()) return false;
    ctx_.traffic.LogCommandTraffic(text);
    const qint64 written = channel_.write(text, writeTimeoutMs(text.size()));
    if (written == text.size()) return true;
    recoverPort();
    return false;
}

qint64 ProbeLink::PortBytesWaiting() {
    if (!channel_.isOpen()) return -1;
    return channel_.bytesWaiting();
}

QByteArray ProbeLink::ReadPortBytes(qint64 count) {
    if (count <= 0) return {};
    QByteArray out;
    if (!channel_.read(count, out)) {
        recoverPort();
        return {};
    }
    return out;
}

void ProbeLink::DrainInput() {
    for (int round = 0; round < kDrainRounds; ++round) {
        ctx_.pump.processEvents();
        const qint64 n = PortBytesWaiting();
        if (n <= 0) return;
        ReadPortBytes(n);
        WaitSeconds(0.05);
    }
}

void ProbeLink::FlushOutput() {
    if (channel_.isOpen()) channel_.flushOutput();
}

void ProbeLink::ClearReceiveBuffer() {
    FlushOutput();
    const qint64 n = PortBytesWaiting();
    if (n > 0) ReadPortBytes(n);
    receiveBuffer_.clear();
}

bool ProbeLink::WaitSeconds(double seconds) {
    return ctx_.WaitSeconds(seconds);
}

void ProbeLink::MarkStationLink(bool failed) {
    if (!validSlot(currentStation_)) return;
    linkFailed_[size_t(currentStation_)] = failed;
    if (view_)
        view_->markStationLink(currentStation_, failed, failed ? LinkFailColour : LinkOkColour);
}

bool ProbeLink::linkFailed(int slot) const {
    return validSlot(slot) && linkFailed_[size_t(slot)];
}

QString ProbeLink::StationLogLabel() const {
    if (!validSlot(currentStation_) || currentSerial_.isEmpty()) return {};
    return QStringLiteral("\t(") + currentSerial_ + QLatin1Char(')');
}

void ProbeLink::LogLine(bool failure, const QString& message) {
    ctx_.eventLog.write(failure, message, StationLogLabel());
}

// --- command transaction ----------------------------------------------------------------------

QByteArray ProbeLink::Frame(const QByteArray& body) {
    return "#00" + body + "*";
}

bool ProbeLink::SendProbeCommand(const QByteArray& body, double wait) {
    if (!WritePortText(Frame(body))) return false;
    if (wait >= 0)
        WaitSeconds(wait);
    else
        ctx_.pump.processEvents();
    return true;
}

QString ProbeLink::ReplyLogSuffix(const QString& reply) const {
    if (!ctx_.switches.logDlc()) return {};
    return QStringLiteral(" [") + reply + QStringLiteral("] ");
}

QByteArray ProbeLink::ExecuteTransaction(double timeout, const QByteArray& expected,
                                         const QByteArray& command, const QString& failText,
                                         const QString& okText, bool logData, bool logReading) {
    QByteArray reply;
    for (int tries = 0; tries < kTransactionTries; ++tries) {
        DrainInput();
        FlushOutput();
        reply.clear();
        if (WritePortText(command)) {
            Deadline deadline(ctx_.clock, timeout);
            while (true) {
                // Sleeps until the reply's bytes arrive, an event (Stop) or the time-out.
                ctx_.pump.pump(deadline);
                const qint64 n = PortBytesWaiting();
                if (n > 0) reply = AppendBytes(reply, ReadPortBytes(n));
                const int found = FindBytes(1, reply, expected);
                if (found > 0) {
                    const QString data = BytesToText(LeftBytes(reply, found - 1));
                    if (!ctx_.switches.segnaTutto()) {
                        if (logReading) LogLine(false, okText + QLatin1Char(' ') + data);
                    } else if (logData) {
                        LogLine(false, okText + QLatin1Char(' ') + data);
                    } else {
                        LogLine(false, okText + ReplyLogSuffix(BytesToText(reply)));
                    }
                    MarkStationLink(false);
                    ctx_.traffic.LogReplyTraffic(reply);
                    return reply;
                }
                if (ctx_.flags.StopRequest) {
                    ctx_.traffic.LogReplyTraffic(reply);
                    return {};
                }
                if (deadline.expired()) break;
            }
        }
        ctx_.traffic.LogReplyTraffic(reply);
    }
    LogLine(true, failText + ReplyLogSuffix(BytesToText(reply)));
    MarkStationLink(true);
    return {};
}

int ProbeLink::WaitForReplyEnd(double timeout, const QByteArray& terminator) {
    StampLinkTime();
    Deadline deadline(ctx_.clock, timeout);
    while (true) {
        const qint64 n = PortBytesWaiting();
        if (n > 0) {
            receiveBuffer_ = AppendBytes(receiveBuffer_, ReadPortBytes(n));
            RemoveAllBytes(receiveBuffer_, QByteArray(ProbeNotice));
            if (FindBytes(1, receiveBuffer_, terminator) > 0) {
                ctx_.traffic.LogReplyTraffic(receiveBuffer_);
                return 0;
            }
        }
        if (deadline.expired()) return -1;
        // Sleeps until more of the reply arrives or the time is up.
        ctx_.pump.pump(deadline);
    }
}

void ProbeLink::StampLinkTime() {
    if (!linkTimeEnabled_ || !view_) return;
    view_->stampLinkTime(currentStation_, currentGridRow_,
                         ctx_.clock.now().toString(QStringLiteral("hh:mm:ss dd/MM/yyyy")));
}
