#include "panel/SetupData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// A release line is short; a huge file without line breaks must not fill the memory.
constexpr qint64 kMaxKeptLine = 4096;

QString findReleaseFile(const QString& appDir) {
    const QString wanted = QStringLiteral("Orsk Halvex.DAT");
    const QDir dir(appDir);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    QString found;
    for (const QString& n : names) {
        // Only a plain file (or a link to one): a device or a pipe under that name would
        // never end, or never start, the read, and start-up would hang on it.
        if (!QFileInfo(dir.filePath(n)).isFile()) continue;
        if (n == wanted) return dir.filePath(n);
        if (found.isEmpty() && n.compare(wanted, Qt::CaseInsensitive) == 0) found = dir.filePath(n);
    }
    return found;
}
} // namespace

QString ReadReleaseLine(const QString& appDir) {
    const QString path = findReleaseFile(appDir);
    if (path.isEmpty()) return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};

    // Lines end with CR LF; a lone CR or LF also ends one. Only the line being read and the
    // last complete line are kept.
    QByteArray current, last;
    bool any = false; // at least one line was read
    bool afterCr = false;
    char buf[8192];
    qint64 n;
    while ((n = f.read(buf, sizeof buf)) > 0) {
        for (qint64 i = 0; i < n; ++i) {
            const char c = buf[i];
            if (c == '\n' && afterCr) { // the LF of a CR LF pair
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                last = current;
                current.clear();
                any = true;
            } else if (current.size() < kMaxKeptLine) {
                current.append(c);
            }
        }
    }
    // Text after the last line break is a line of its own.
    if (!current.isEmpty() || !any) last = current;
    return QString::fromLatin1(last);
}
