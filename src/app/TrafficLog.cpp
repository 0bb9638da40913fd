#include "app/TrafficLog.h"

#include "app/Switches.h"

#include <QFile>

namespace {
void appendLine(const QString& path, const QByteArray& line) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(line + "\r\n");
}

QByteArray trimSpaces(const QByteArray& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return s.mid(b, e - b);
}
} // namespace

TrafficLog::TrafficLog(QString appDir, const Switches& switches)
    : appDir_(std::move(appDir)), switches_(switches) {}

void TrafficLog::LogCommandTraffic(const QByteArray& command) {
    QString path;
    if (switches_.has(QStringLiteral("/LOGCOMANDI")))
        path = appDir_ + QStringLiteral("LOGCOMANDI.TXT");
    else if (switches_.has(QStringLiteral("/LOGCOMRISP")))
        path = appDir_ + QStringLiteral("LOGCR.TXT");
    else
        return;
    if (!commandStarted_) {
        commandStarted_ = true;
        QFile::remove(path);
    }
    appendLine(path, command);
}

QByteArray TrafficLog::cleanReply(const QByteArray& reply) {
    QByteArray r = trimSpaces(reply);
    r.replace('\n', ' ');
    r = trimSpaces(r);
    r.replace('\r', ' ');
    return r;
}

void TrafficLog::LogReplyTraffic(const QByteArray& reply) {
    QString path;
    if (switches_.has(QStringLiteral("/LOGRISPOSTE"))) {
        path = appDir_ + QStringLiteral("LOGRISP.TXT");
        if (!replyStarted_) {
            replyStarted_ = true;
            QFile::remove(path);
        }
    } else if (switches_.has(QStringLiteral("/LOGCOMRISP"))) {
        path = appDir_ + QStringLiteral("LOGCR.TXT");
    } else {
        return;
    }
    if (reply.isEmpty())
        return;
    appendLine(path, "\t\t" + cleanReply(reply));
}
