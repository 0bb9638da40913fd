#include "app/EventLog.h"

#include "app/Clock.h"
#include "app/Format.h"

#include <QDir>
#include <QFileInfo>

EventLog::EventLog(QString appDir, const Clock& clock) : appDir_(std::move(appDir)), clock_(clock) {}

void EventLog::WriteEventLog(const QString& text, bool closeAfter) {
    const QDateTime now = clock_.now();
    const QDate day = now.date();
    const QString yyyy = day.toString(QStringLiteral("yyyy"));
    const QString mm = day.toString(QStringLiteral("MM"));
    const QString dir = appDir_ + QStringLiteral("Test/Log/") + yyyy + QLatin1Char('/') + mm;
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + day.toString(QStringLiteral("dd")) +
                         QStringLiteral(".TXT");

    if (!file_.isOpen() || path_ != path) {
        file_.close();
        file_.setFileName(path);
        path_ = path;
        // A full disk or a read-only tree only loses the log line, never the run.
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
    }

    QByteArray out;
    if (text.trimmed() == QLatin1String("Software Start") && file_.size() > 0)
        out += separatorLine().toLatin1() + "\r\n";
    out += now.toString(QStringLiteral("yyyy/MM/dd  hh:mm:ss")).toLatin1() + ":  " +
           text.toLatin1() + "\r\n";
    file_.write(out);
    file_.flush();
    if (closeAfter)
        file_.close();
}

void EventLog::write(bool failure, const QString& message, const QString& label) {
    if (failure) lastFailure_ = message.trimmed();
    WriteEventLog((failure ? QStringLiteral("*** ") : QStringLiteral("    ")) +
                  PadLogText(message) + label);
}
