#include "app/SaveWholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {
// A save killed before its commit leaves its temporary file, named after the file with a dot
// and six letters or digits. The next save that commits removes them, so they do not pile up.
void removeLeftTemporaries(const QFileInfo& target) {
    QDir dir = target.absoluteDir();
    const QString prefix = target.fileName() + QLatin1Char('.');
    const QStringList left = dir.entryList({prefix + QStringLiteral("??????")}, QDir::Files);
    for (const QString& name : left) {
        const QStringView suffix = QStringView(name).mid(prefix.size());
        const bool temporary = std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
            return c.unicode() < 128 && c.isLetterOrNumber();
        });
        if (temporary) dir.remove(name);
    }
}
} // namespace

bool saveWholeFile(const QString& path, const QByteArray& data) {
    const QFileInfo target(path);
    QDir().mkpath(target.absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) return false;
    removeLeftTemporaries(target);
    return true;
}
