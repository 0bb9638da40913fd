#pragma once

#include <QByteArray>
#include <QString>

class Switches;

// Optional logs of the raw serial traffic in the application directory: commands to
// "LOGCOMANDI.TXT" or "LOGCR.TXT", replies to "LOGRISP.TXT" or "LOGCR.TXT". The first line
// of a program run deletes the file it goes to, except the reply side of "LOGCR.TXT".
class TrafficLog {
public:
    TrafficLog(QString appDir, const Switches& switches);

    void LogCommandTraffic(const QByteArray& command);
    void LogReplyTraffic(const QByteArray& reply);
    // The reply as written: spaces trimmed and LF, then CR, turned into spaces.
    static QByteArray cleanReply(const QByteArray& reply);

private:
    QString appDir_;
    const Switches& switches_;
    bool commandStarted_ = false;
    bool replyStarted_ = false;
};
