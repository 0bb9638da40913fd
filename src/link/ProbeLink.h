#pragma once

#include "link/LinkView.h"

#include <QByteArray>
#include <QString>
#include <array>

class AppContext;
class SerialChannel;

// The probe link: the one open station port, the command transaction with its framing,
// retries and log lines, and the state the measurement cycle shares with it. One instance for
// the whole program; the cycle sets CurrentStation, CurrentGridRow and LinkTimeEnabled before
// it talks to a station and reads LinkFailed and CommError afterwards.
//
// Every wait goes through the context's Deadline + EventPump, so a stop request, the midnight
// wrap of the clock and a virtual clock in tests are handled in one place.
class ProbeLink {
public:
    static constexpr int StationCount = 16;
    // Unsolicited notice a probe may put anywhere in a reply.
    static constexpr const char* ProbeNotice = "#00@%*";

    ProbeLink(AppContext& ctx, SerialChannel& channel, LinkView* view = nullptr);
    ~ProbeLink();
    ProbeLink(const ProbeLink&) = delete;
    ProbeLink& operator=(const ProbeLink&) = delete;

    void setView(LinkView* view) { view_ = view; }
    LinkView* view() const { return view_; }
    // The serial number used in log labels when no view is set.
    void setStationSerial(int slot, const QString& serial);

    AppContext& context() const { return ctx_; }
    SerialChannel& channel() const { return channel_; }

    // --- port channel ---------------------------------------------------------------------
    // Opens and configures the port; the outcome shows in LinkFailed of CurrentStation, the
    // view and the event log. After a successful open the probe gets one second to settle.
    void OpenStationPort(int port);
    // Closes the port and repaints the station as working.
    void CloseStationPort();
    // Sends the bytes; true only when all were written. A failed write closes and reopens
    // the port (CurrentPort) and waits half a second.
    bool WritePortText(const QByteArray& text);
    // Bytes in the input queue, -1 when the status cannot be read (no open port).
    qint64 PortBytesWaiting();
    // Reads up to count bytes; empty when nothing was read. A failed read recovers as a
    // failed write does.
    QByteArray ReadPortBytes(qint64 count);
    // Reads and drops whatever keeps arriving, at most 500 rounds of 0.05 s.
    void DrainInput();
    // Flushes the output, drops what is waiting once and empties ReceiveBuffer.
    void ClearReceiveBuffer();
    // Waits until the written data has left.
    void FlushOutput();
    // Waits while letting events run; false when a stop request ended it early.
    bool WaitSeconds(double seconds);
    // Sets LinkFailed of CurrentStation and paints the station.
    void MarkStationLink(bool failed);
    // TAB + "(" + serial + ")" when the station's serial number is known, else empty.
    QString StationLogLabel() const;
    // Marker ("*** " or four spaces) + message padded to 80 + StationLogLabel().
    void LogLine(bool failure, const QString& message);
    // LinkFailed of a slot; false for a slot out of range.
    bool linkFailed(int slot) const;
    bool currentLinkFailed() const { return linkFailed(CurrentStation); }

    // --- command transaction --------------------------------------------------------------
    // "#00" + body + "*".
    static QByteArray Frame(const QByteArray& body);
    // Sends Frame(body). When the write succeeded: wait >= 0 waits that long, wait < 0 lets
    // events run once. Nothing is read. Returns whether the write succeeded.
    bool SendProbeCommand(const QByteArray& body, double wait);
    // Sends command (already framed) and collects the reply until expected appears in it,
    // within timeout seconds, three tries. Returns the whole reply of the successful try, or
    // empty on failure (station marked failed, one "*** " line) or on a stop request (no
    // line, mark unchanged).
    QByteArray ExecuteTransaction(double timeout, const QByteArray& expected,
                                  const QByteArray& command, const QString& failText,
                                  const QString& okText, bool logData);
    // Collects into ReceiveBuffer, dropping the probe's notice, until terminator appears:
    // 0 when found, -1 on time-out. Sends nothing and does not look at the stop request.
    int WaitForReplyEnd(double timeout, const QByteArray& terminator);
    // With LinkTimeEnabled, shows the present time and date in the station's row.
    void StampLinkTime();
    // " [" + reply + "] " with "/LOGDLC", else empty.
    QString ReplyLogSuffix(const QString& reply) const;

    // --- shared state ---------------------------------------------------------------------
    int CurrentPort = 0;    // port last opened; kept after close to reopen after an error
    int CurrentStation = 0; // slot 0..15 being served
    std::array<bool, StationCount> LinkFailed{};
    bool CommError = false; // a battery or serial-number reading gave up; the cycle clears it
    QByteArray ReceiveBuffer;
    bool LogReadingRequest = false; // log the next reading although "/SEGNATUTTO" is off
    bool LinkTimeEnabled = false;   // stamp the link time (a campaign runs)
    int CurrentGridRow = 0;

private:
    void recoverPort();
    void logClose();
    bool validSlot(int slot) const { return slot >= 0 && slot < StationCount; }

    AppContext& ctx_;
    SerialChannel& channel_;
    LinkView* view_;
    std::array<QString, StationCount> serials_;
};
