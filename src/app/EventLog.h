#pragma once

#include <QFile>
#include <QString>

class Clock;

// The event log: one text file a day, "Test/Log/YYYY/MM/DD.TXT" under the application
// directory. The day's file stays open between lines and is switched at midnight.
class EventLog {
public:
    EventLog(QString appDir, const Clock& clock);

    // Appends "yyyy/mm/dd  hh:mm:ss:  " + text + CR LF. Before "Software Start" on a day
    // whose file already holds data, a line of 130 "_" goes first. closeAfter closes the file.
    void WriteEventLog(const QString& text, bool closeAfter = false);
    // Marker ("*** " or four spaces) + message padded to 80 + label.
    void write(bool failure, const QString& message, const QString& label = QString());

    // The message of the last failure line ("Port 9 not available"), for views that tell
    // an operator what went wrong in the same words; empty before the first one.
    const QString& lastFailure() const { return lastFailure_; }

    QString currentPath() const { return path_; }
    static QString separatorLine() { return QString(130, QLatin1Char('_')); }

private:
    QString appDir_;
    const Clock& clock_;
    QString path_;
    QFile file_;
    QString lastFailure_;
};
