#include "app/AppContext.h"

#include "app/Deadline.h"

#include <QDir>

QString AppContext::normalizeAppDir(const QString& dir) {
    // An empty directory would turn every data path into one below the file-system root.
    QString d = QDir::fromNativeSeparators(dir.isEmpty() ? QDir::currentPath() : dir);
    if (!d.endsWith(QLatin1Char('/'))) d += QLatin1Char('/');
    return d;
}

AppContext::AppContext(QString dir, QString commandLine, Clock& clk, EventPump& pmp)
    : appDir(normalizeAppDir(dir)), switches(std::move(commandLine)), clock(clk), pump(pmp),
      eventLog(appDir, clock), traffic(appDir, switches), testDirs(appDir, clock) {}

bool AppContext::WaitSeconds(double seconds) {
    Deadline deadline(clock, seconds);
    while (true) {
        if (flags.StopRequest) return false;
        if (deadline.expired()) return true;
        pump.pump(deadline);
    }
}
