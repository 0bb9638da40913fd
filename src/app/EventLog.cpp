#include "app/EventLog.h"

#include "app/Clock.h"
#include "app/Format.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

EventLog::EventLog(QString appDir, const Clock& clock)
    : appDir_(std::move(appDir)), clock_(clock) {}

void EventLog::WriteEventLog(const QString& text, bool closeAfter) {
    const QDateTime now = clock_.now();
    const QDate day = now.date();
    const QString yyyy = day.toString(QStringLiteral("yyyy"));
    const QString mm = day.toString(QStringLiteral("MM"));
    const QString dir = appDir_ + QStringLiteral("Test/Log/") + yyyy + QLatin1Char('/') + mm;
    QDir().mkpath(dir);
    const QString path =
        dir + QLatin1Char('/') + day.toString(QStringLiteral("dd")) + QStringLiteral(".TXT");

    QByteArray out;
    bool open = file_.isOpen() && path_ == path;
    if (!open) {
        file_.close();
        file_.setFileName(path);
        path_ = path;
        // Unbuffered, so a failed write is seen at once and can be taken back whole.
        open = file_.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered);
        // A line cut short when the program was killed is ended before the next one.
        if (open && file_.size() > 0 && file_.seek(file_.size() - 1)) {
            const QByteArray last = file_.read(1);
            if (last == "\r")
                out += "\n";
            else if (last != "\n")
                out += "\r\n";
        }
    }

    if (text.trimmed() == QLatin1String("Software Start") && file_.size() > 0)
        out += separatorLine().toLatin1() + "\r\n";
    const QByteArray line =
        now.toString(QStringLiteral("yyyy/MM/dd  hh:mm:ss")).toLatin1() + ":  " + text.toLatin1();
    out += line + "\r\n";
    // A full disk or a read-only tree loses only the log line, never the run; the line then
    // goes to standard error, and a part of it that did reach the file is taken back.
    bool written = false;
    if (open) {
        const qint64 before = file_.size();
        written = file_.write(out) == out.size();
        if (!written) file_.resize(before);
    }
    if (!written) std::fprintf(stderr, "%s\n", line.constData());
    if (closeAfter || !written) file_.close();
}

void EventLog::write(bool failure, const QString& message, const QString& label) {
    if (failure) lastFailure_ = message.trimmed();
    WriteEventLog((failure ? QStringLiteral("*** ") : QStringLiteral("    ")) +
                  PadLogText(message) + label);
}
