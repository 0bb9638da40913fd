#include "freqtable/FreqTableFile.h"

#include "app/SaveWholeFile.h"
#include "app/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace FreqTableFile {
namespace {
const QString kExtension = QStringLiteral(".FTR");

QString tableDir(const QString& appDir) {
    return appDir + QStringLiteral("Table/");
}

QStringList ftrFiles(const QString& appDir) {
    QDir dir(tableDir(appDir));
    return dir.entryList({QStringLiteral("*.FTR")}, QDir::Files | QDir::Hidden, QDir::NoSort);
}

bool plainName(const QString& name) {
    return TestDirs::isSafeName(name);
}
} // namespace

ReadResult read(const QString& path, FreqTable& table) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.exists()) return ReadResult::Missing;
    if (!file.open(QIODevice::ReadOnly)) return ReadResult::Failed;
    const QByteArray data = file.read(FreqTable::FileBytes);
    if (file.error() != QFile::NoError) return ReadResult::Failed;
    table = FreqTable::fromBytes(data);
    return ReadResult::Loaded;
}

bool write(const QString& path, const FreqTable& table) {
    QByteArray tail;
    {
        QFile old(path);
        if (old.open(QIODevice::ReadOnly) && old.size() > FreqTable::FileBytes) {
            old.seek(FreqTable::FileBytes);
            tail = old.readAll();
        }
    }
    return saveWholeFile(path, table.toBytes() + tail);
}

QStringList list(const QString& appDir) {
    QStringList names;
    for (const QString& file : ftrFiles(appDir))
        names.append(file.left(file.size() - kExtension.size()).trimmed());
    return names;
}

QString find(const QString& appDir, const QString& name) {
    const QString wanted = name.trimmed();
    if (!plainName(wanted)) return {};
    const QString fileName = wanted + kExtension;
    for (const QString& file : ftrFiles(appDir))
        if (file.compare(fileName, Qt::CaseInsensitive) == 0) return tableDir(appDir) + file;
    return {};
}

QString pathFor(const QString& appDir, const QString& name) {
    const QString existing = find(appDir, name);
    if (!existing.isEmpty()) return existing;
    const QString wanted = name.trimmed();
    if (!plainName(wanted)) return {};
    return tableDir(appDir) + wanted + kExtension;
}

} // namespace FreqTableFile
