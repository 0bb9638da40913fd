#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The file system as the scan browser sees it. The browser reads a folder in one pass and
// removes entries one at a time through here, so that a test can make an entry refuse to
// go and a benchmark can count the folder reads.
class ScanFileSystem {
public:
    struct Entry {
        QString name;
        bool folder = false; // a real folder: never true for a link, whatever it points to
    };

    virtual ~ScanFileSystem() = default;
    // The entries of a folder ("." and ".." left out), in no particular order; empty when
    // the folder cannot be read.
    virtual QList<Entry> list(const QString& folder) = 0;
    // Removes a file or a link (never what the link points to).
    virtual bool removeFile(const QString& path) = 0;
    // Removes an empty folder.
    virtual bool removeFolder(const QString& path) = 0;
};

// The real file system, counting folder reads.
class DiskFileSystem : public ScanFileSystem {
public:
    QList<Entry> list(const QString& folder) override;
    bool removeFile(const QString& path) override;
    bool removeFolder(const QString& path) override;

    int reads = 0;
};

// The saved-file types, index 0..3: "SPC (Spectrum)", "JPG (Jpeg)", "BMP (Bitmap)",
// "TXT (Text)".
QStringList CompilaCBXEstensioni();
// "SPC", "JPG", "BMP" or "TXT"; the index is clamped to 0..3.
QString scanExtension(int index);
// The type index of a display text, clamped to 0..3; -1 when the text is not one of them.
int scanTypeIndex(const QString& displayText);

// "Test/" under the application directory (appDir ends with "/").
QString scanRoot(const QString& appDir);
// The path without its last part: "Test/S1/2024" gives "Test/S1". A trailing "/" is ignored.
QString TrovaUltimaDir(const QString& path);
// True when folder is "Test/" or lies inside it. Paths are made absolute and clean and
// links are resolved before they are compared (case-insensitively), so "Test/../Panels" or
// a link inside "Test/" to a folder elsewhere do not pass.
bool ControllaLivelloDirTest(const QString& appDir, const QString& folder);
// True when folder may be deleted: it passes the level check and is neither "Test/" itself,
// nor "Test/Log/", nor a folder that holds the open event-log file (openLog, may be empty).
bool ControllaCancDirLog(const QString& appDir, const QString& folder, const QString& openLog);
// True when file may be deleted from the list: inside "Test/" and not the open event log.
bool fileMayBeDeleted(const QString& appDir, const QString& file, const QString& openLog);

// Sorts names ignoring case (names that differ only in case keep a fixed order).
void sortIgnoringCase(QStringList& names);
// The names of the non-folder entries whose extension is the type's (case-insensitively),
// sorted by name ignoring case.
QStringList filterScanFiles(const QList<ScanFileSystem::Entry>& entries, int typeIndex);
// The names of the plain files (and links to files) in folder whose extension matches the
// type's (case-insensitively), sorted by name ignoring case. One folder read.
QStringList listScanFiles(ScanFileSystem& fs, const QString& folder, int typeIndex);

// Removes folder and everything below it, deepest first, in one pass: each entry is tried
// once, a link is removed as a link and never followed. What refuses to go stays, with the
// folders that hold it. True when the folder itself is gone.
bool deleteFolderTree(ScanFileSystem& fs, const QString& folder);
