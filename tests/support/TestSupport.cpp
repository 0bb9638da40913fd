#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

TempAppDir::TempAppDir() : dir_(QDir::tempPath() + QStringLiteral("/halvex-test-XXXXXX")) {}

QString TempAppDir::path() const { return dir_.path() + QLatin1Char('/'); }

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

QString binDir() {
    const QByteArray env = qgetenv("HALVEX_BIN_DIR");
    return env.isEmpty() ? QStringLiteral(".") : QString::fromLocal8Bit(env);
}

void ensureCoreApplication() {
    static int argc = 1;
    static char name[] = "halvex-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}
