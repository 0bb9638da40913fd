#pragma once

#include "link/LinkView.h"

#include <QByteArray>
#include <QString>
#include <array>

class AppContext;
class SerialChannel;

// The probe link: the one open station port, the command transaction with its framing,
// retries and log lines, and the link state of each station. One instance for the whole
// program; the cycle names the current station (with its serial number, which the run state
// owns) and the grid row before it talks to a station, and reads linkFailed() and
// commError() afterwards.
//
// Every wait goes through the context's Deadline + EventPump, so a stop request, the midnight
// wrap of the clock and a virtual clock in tests are handled in one place.
class ProbeLink {
public:
    static constexpr int StationCount = 16;
    // Unsolicited notice a probe may put anywhere in a reply.
    static constexpr const char* ProbeNotice = "#00@%*";

    ProbeLink(AppContext& ctx, SerialChannel& channel, LinkView* view = nullptr);
    ProbeLink(const ProbeLink&) = delete;
    ProbeLink& operator=(const ProbeLink&) = delete;

    void setView(LinkView* view) { view_ = view; }
    LinkView* view() const { return view_; }

    AppContext& context() const { return ctx_; }
    SerialChannel& channel() const { return channel_; }

    // --- the station being served ---------------------------------------------------------
    // Slot 0..15 the next operations address, and its serial number for the log labels
    // (empty when not known).
    void setCurrentStation(int slot, const QString& serial = QString());
    int currentStation() const { return currentStation_; }
    // The grid row the link time is stamped in.
    void setCurrentGridRow(int row) { currentGridRow_ = row; }
    // Stamp the link time (a campaign runs).
    void setLinkTimeEnabled(bool on) { linkTimeEnabled_ = on; }
    // The port last opened; kept after a close to reopen after an error.
    int currentPort() const { return currentPort_; }
    void setCurrentPort(int port) { currentPort_ = port; }
    // A battery or serial-number reading gave up; the cycle clears it.
    bool commError() const { return commError_; }
    void setCommError(bool on) { commError_ = on; }
    // LinkFailed of a slot; false for a slot out of range.
    bool linkFailed(int slot) const;
    bool currentLinkFailed() const { return linkFailed(currentStation_); }
    void clearAllLinkFailed() { linkFailed_.fill(false); }
    // What WaitForReplyEnd collected since the last ClearReceiveBuffer().
    const QByteArray& receiveBuffer() const { return receiveBuffer_; }

    // --- port channel ---------------------------------------------------------------------
    // Opens and configures the port; the outcome shows in linkFailed() of the current
    // station, the view and the event log. After a successful open the probe gets one second
    // to settle.
    void OpenStationPort(int port);
    // Closes the port and repaints the station as working.
    void CloseStationPort();
    // Sends the bytes; true only when all were written. A failed write closes and reopens
    // the port (currentPort()) and waits half a second.
    bool WritePortText(const QByteArray& text);
    // Bytes in the input queue, -1 when the status cannot be read (no open port).
    qint64 PortBytesWaiting();
    // Reads up to count bytes; empty when nothing was read. A failed read recovers as a
    // failed write does.
    QByteArray ReadPortBytes(qint64 count);
    // Reads and drops whatever keeps arriving, at most 500 rounds of 0.05 s.
    void DrainInput();
    // Flushes the output, drops what is waiting once and empties the receive buffer.
    void ClearReceiveBuffer();
    // Waits until the written data has left.
    void FlushOutput();
    // Waits while letting events run; false when a stop request ended it early.
    bool WaitSeconds(double seconds);
    // Sets LinkFailed of the current station and paints the station.
    void MarkStationLink(bool failed);
    // TAB + "(" + serial + ")" when the current station's serial number is known, else empty.
    QString StationLogLabel() const;
    // Marker ("*** " or four spaces) + message padded to 80 + StationLogLabel().
    void LogLine(bool failure, const QString& message);

    // --- command transaction --------------------------------------------------------------
    // "#00" + body + "*".
    static QByteArray Frame(const QByteArray& body);
    // Sends Frame(body). When the write succeeded: wait >= 0 waits that long, wait < 0 lets
    // events run once. Nothing is read. Returns whether the write succeeded.
    bool SendProbeCommand(const QByteArray& body, double wait);
    // Sends command (already framed) and collects the reply until expected appears in it,
    // within timeout seconds, three tries. Returns the whole reply of the successful try, or
    // empty on failure (station marked failed, one "*** " line) or on a stop request (no
    // line, mark unchanged). logReading: the reading goes to the event log even without
    // "/SEGNATUTTO".
    QByteArray ExecuteTransaction(double timeout, const QByteArray& expected,
                                  const QByteArray& command, const QString& failText,
                                  const QString& okText, bool logData, bool logReading = false);
    // Collects into the receive buffer, dropping the probe's notice, until terminator
    // appears: 0 when found, -1 on time-out. Sends nothing and does not look at the stop
    // request.
    int WaitForReplyEnd(double timeout, const QByteArray& terminator);
    // With the link time enabled, shows the present time and date in the station's row.
    void StampLinkTime();
    // " [" + reply + "] " with "/LOGDLC", else empty.
    QString ReplyLogSuffix(const QString& reply) const;

private:
    void recoverPort();
    void logClose();
    bool validSlot(int slot) const { return slot >= 0 && slot < StationCount; }

    AppContext& ctx_;
    SerialChannel& channel_;
    LinkView* view_;
    int currentPort_ = 0;
    int currentStation_ = 0;
    QString currentSerial_;
    int currentGridRow_ = 0;
    bool linkTimeEnabled_ = false;
    std::array<bool, StationCount> linkFailed_{};
    bool commError_ = false;
    QByteArray receiveBuffer_;
};
