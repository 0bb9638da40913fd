// The scan browser on a large results tree. Usage: bench_scan_browser [files]
// (default 20000; 100000 gives the full tree of 16 stations x 12 months x 26 days x 20 files,
// and one flat folder of as many files). The tree is made in a temporary folder and removed.
// Prints:
//  - folder reads to open the browser (aim 1) and to expand one station (aim +1);
//  - filling the file list of the flat folder against a bare pass over its names (aim <= 2.0);
//  - deleting a station's year: folder reads per folder (aim 1.0), and the time against
//    QDir::removeRecursively on a year of the same shape (aim <= 1.5).

#include "bench/BenchSupport.h"
#include "panel/ScanBrowser.h"
#include "panel/ScanFolderModel.h"

#include <QDir>
#include <QDirIterator>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kStations = 16, kMonths = 12, kDays = 26;

// The year folder of station s.
QString yearOf(const QString& test, int s) {
    return test + QString::asprintf("/S%02d/2024", s);
}

void makeTree(const QString& test, int filesPerDay, int flatFiles) {
    static const char* const kinds[] = {"SPC", "TXT", "JPG", "BMP"};
    for (int s = 0; s < kStations; ++s)
        for (int m = 1; m <= kMonths; ++m)
            for (int d = 1; d <= kDays; ++d) {
                const QString day = yearOf(test, s) + QString::asprintf("/%02d/%02d/", m, d);
                for (int f = 0; f < filesPerDay; ++f)
                    writeAll(day + QStringLiteral("SM_E%1.%2").arg(f).arg(kinds[f % 4]), "x");
            }
    // Mixed case, in an order that is not the sorted one.
    for (int f = 0; f < flatFiles; ++f)
        writeAll(test + QString::asprintf("/Flat/%cm_%d.%s", f % 2 ? 's' : 'S',
                                          (f * 7919) % flatFiles, f % 3 ? "spc" : "TXT"),
                 "x");
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 20000;
    const int filesPerDay = std::max(1, files / (kStations * kMonths * kDays));
    TempAppDir dir;
    const QString test = dir.path() + QStringLiteral("Test");
    std::printf("making %d files in %d day folders, and %d in one folder ...\n",
                filesPerDay * kStations * kMonths * kDays, kStations * kMonths * kDays, files);
    makeTree(test, filesPerDay, files);

    // Opening and expanding.
    {
        DiskFileSystem fs;
        ScanFolderModel model(fs, dir.path());
        const QModelIndex root = model.rootIndex();
        model.fetchMore(root);
        model.files(root, 0);
        const int open = fs.reads;
        const QModelIndex s0 = model.index(0, 0, root);
        model.fetchMore(s0);
        model.files(s0, 0);
        std::printf("folder reads to open the browser: %d (aim 1)\n", open);
        std::printf("folder reads to expand one station: +%d (aim +1)\n", fs.reads - open);
    }

    // The flat folder: the file list against a bare pass over the names; best of three.
    double fill = 1e9, bare = 1e9;
    qsizetype shown = 0, seen = 0;
    const auto barePass = [&] {
        seen = 0;
        QDirIterator it(test + QStringLiteral("/Flat"), QDir::Files);
        for (; it.hasNext(); ++seen)
            it.next();
    };
    for (int round = 0; round < 3; ++round) {
        bare = std::min(bare, bench::timed(barePass));
        DiskFileSystem fs;
        ScanFolderModel model(fs, dir.path());
        const QModelIndex flat = model.indexForPath(test + QStringLiteral("/Flat"));
        fill = std::min(fill, bench::timed([&] { shown = model.files(flat, 0).size(); }));
    }
    std::printf("flat folder: %lld names, %lld listed; list %.1f ms, bare pass %.1f ms, "
                "ratio %.2f (aim <= 2.0)\n",
                qlonglong(seen), qlonglong(shown), fill * 1e3, bare * 1e3, fill / bare);

    // Deleting station-years, alternating with QDir::removeRecursively on the next station.
    double ours = 0, theirs = 0;
    int reads = 0, folders = 0;
    for (int s = 0; s + 1 < kStations; s += 2) {
        DiskFileSystem fs;
        const QString year = yearOf(test, s), next = yearOf(test, s + 1);
        ours += bench::timed([&] { deleteFolderTree(fs, year); });
        theirs += bench::timed([&] { QDir(next).removeRecursively(); });
        reads += fs.reads;
        folders += 1 + kMonths + kMonths * kDays;
    }
    std::printf("delete a station-year: %.2f folder reads per folder (aim 1.0); "
                "%.1f ms against removeRecursively %.1f ms, ratio %.2f (aim <= 1.5)\n",
                double(reads) / folders, ours * 1e3 / (kStations / 2),
                theirs * 1e3 / (kStations / 2), ours / theirs);
    return 0;
}
