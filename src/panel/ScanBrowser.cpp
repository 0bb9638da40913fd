#include "panel/ScanBrowser.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const char* const kExtensions[] = {"SPC", "JPG", "BMP", "TXT"};
const char* const kDescriptions[] = {" (Spectrum)", " (Jpeg)", " (Bitmap)", " (Text)"};

QString withoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// Absolute, clean, and with links resolved where the path exists, so that ".." and links
// cannot lead a path that looks inside "Test/" to somewhere else.
// A part that does not exist is taken as written after the deepest part that does.
QString resolved(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString head = absolute;
    QString rest;
    for (;;) {
        const QString canonical = QFileInfo(head).canonicalFilePath();
        if (!canonical.isEmpty()) return canonical + rest;
        const qsizetype cut = head.lastIndexOf(QLatin1Char('/'));
        if (cut <= 0) return absolute;
        rest.prepend(head.mid(cut));
        head.truncate(cut);
    }
}

bool sameOrInside(const QString& path, const QString& folder) {
    return path.compare(folder, Qt::CaseInsensitive) == 0 ||
           path.startsWith(folder + QLatin1Char('/'), Qt::CaseInsensitive);
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QList<ScanFileSystem::Entry> DiskFileSystem::list(const QString& folder) {
    ++reads;
    QList<Entry> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        // The entry type comes with the folder read; only a link would need another look,
        // and a link is never taken for a folder.
        out.append({info.fileName(), !info.isSymLink() && info.isDir()});
    }
    return out;
}

bool DiskFileSystem::removeFile(const QString& path) {
    return QFile::remove(path);
}

bool DiskFileSystem::removeFolder(const QString& path) {
    return QDir().rmdir(path);
}

QStringList CompilaCBXEstensioni() {
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts << QLatin1String(kExtensions[i]) + QLatin1String(kDescriptions[i]);
    return texts;
}

QString scanExtension(int index) {
    return QLatin1String(kExtensions[std::clamp(index, 0, 3)]);
}

int scanTypeIndex(const QString& displayText) {
    const int i = int(CompilaCBXEstensioni().indexOf(displayText));
    return i < 0 ? -1 : std::clamp(i, 0, 3);
}

QString scanRoot(const QString& appDir) {
    return appDir + QStringLiteral("Test/");
}

QString TrovaUltimaDir(const QString& path) {
    const QString p = withoutTrailingSlash(path);
    const qsizetype cut = p.lastIndexOf(QLatin1Char('/'));
    if (cut < 0) return p;
    return cut == 0 ? QStringLiteral("/") : p.left(cut);
}

bool ControllaLivelloDirTest(const QString& appDir, const QString& folder) {
    if (folder.isEmpty()) return false;
    return sameOrInside(resolved(folder), resolved(scanRoot(appDir)));
}

bool ControllaCancDirLog(const QString& appDir, const QString& folder, const QString& openLog) {
    if (!ControllaLivelloDirTest(appDir, folder)) return false;
    const QString f = resolved(folder);
    const QString root = resolved(scanRoot(appDir));
    if (same(f, root) || same(f, root + QStringLiteral("/Log"))) return false;
    // The event log is kept open: none of the folders that hold it may go.
    return openLog.isEmpty() ||
           !resolved(openLog).startsWith(f + QLatin1Char('/'), Qt::CaseInsensitive);
}

bool fileMayBeDeleted(const QString& appDir, const QString& file, const QString& openLog) {
    if (!ControllaLivelloDirTest(appDir, TrovaUltimaDir(file))) return false;
    return openLog.isEmpty() || !same(resolved(file), resolved(openLog));
}

void sortIgnoringCase(QStringList& names) {
    // The folded keys are made once, not at every comparison: a day folder can hold many
    // thousands of files.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(size_t(names.size()));
    for (QString& n : names)
        keyed.emplace_back(n.toCaseFolded(), std::move(n));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& k : keyed)
        names << std::move(k.second);
}

QStringList filterScanFiles(const QList<ScanFileSystem::Entry>& entries, int typeIndex) {
    const QString suffix = QLatin1Char('.') + scanExtension(typeIndex);
    QStringList names;
    for (const ScanFileSystem::Entry& e : entries)
        if (!e.folder && e.name.endsWith(suffix, Qt::CaseInsensitive)) names << e.name;
    sortIgnoringCase(names);
    return names;
}

QStringList listScanFiles(ScanFileSystem& fs, const QString& folder, int typeIndex) {
    return filterScanFiles(fs.list(folder), typeIndex);
}

bool deleteFolderTree(ScanFileSystem& fs, const QString& folder) {
    const QString base = withoutTrailingSlash(folder) + QLatin1Char('/');
    for (const ScanFileSystem::Entry& e : fs.list(base)) {
        if (e.folder)
            deleteFolderTree(fs, base + e.name);
        else
            fs.removeFile(base + e.name);
    }
    return fs.removeFolder(withoutTrailingSlash(folder));
}
