#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh application directory for one test, removed afterwards.
class TempAppDir {
public:
    TempAppDir();
    // With a trailing "/".
    QString path() const;
    QString file(const QString& relative) const { return path() + relative; }

private:
    QTemporaryDir dir_;
};

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& data);
// Folder of the build's executables (halvex-run, halvex-probesim).
QString binDir();
// The application object Qt SerialPort and QProcess want, made once for the whole executable.
void ensureCoreApplication();
