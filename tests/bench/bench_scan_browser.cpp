// The scan browser on a large results tree. Usage: bench_scan_browser [files]
// (default 20000; 100000 gives the full tree of 16 stations x 12 months x 26 days x 20 files,
// and one flat folder of as many files). The tree is made in a temporary folder and removed.
// Prints:
//  - folder reads to open the browser (aim 1) and to expand one station (aim +1);
//  - filling the file list of the flat folder against a bare pass over its names (aim <= 2.0);
//  - deleting a station's year: folder reads per folder (aim 1.0), and the time against
//    QDir::removeRecursively on a year of the same shape (aim <= 1.5).

#include "panel/ScanBrowser.h"
#include "panel/ScanFolderModel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kStations = 16, kMonths = 12, kDays = 26;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void touch(const QString& path) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write("x");
}

QString station(int s) {
    return QStringLiteral("S%1").arg(s, 2, 10, QLatin1Char('0'));
}

void makeTree(const QString& test, int filesPerDay, int flatFiles) {
    static const char* const kinds[] = {"SPC", "TXT", "JPG", "BMP"};
    for (int s = 0; s < kStations; ++s)
        for (int m = 1; m <= kMonths; ++m)
            for (int d = 1; d <= kDays; ++d) {
                const QString day = QStringLiteral("%1/%2/2024/%3/%4/")
                                        .arg(test, station(s))
                                        .arg(m, 2, 10, QLatin1Char('0'))
                                        .arg(d, 2, 10, QLatin1Char('0'));
                QDir().mkpath(day);
                for (int f = 0; f < filesPerDay; ++f)
                    touch(day +
                          QStringLiteral("SM_E%1.%2").arg(f).arg(QLatin1String(kinds[f % 4])));
            }
    const QString flat = test + QStringLiteral("/Flat/");
    QDir().mkpath(flat);
    // Mixed case, in an order that is not the sorted one.
    for (int f = 0; f < flatFiles; ++f)
        touch(flat + QStringLiteral("%1m_%2.%3")
                         .arg(QLatin1Char(f % 2 ? 's' : 'S'))
                         .arg((f * 7919) % flatFiles)
                         .arg(QLatin1String(f % 3 ? "spc" : "TXT")));
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 20000;
    const int filesPerDay = std::max(1, files / (kStations * kMonths * kDays));
    QTemporaryDir tmp;
    const QString appDir = tmp.path() + QLatin1Char('/');
    const QString test = appDir + QStringLiteral("Test");
    std::printf("making %d files in %d day folders, and %d in one folder ...\n",
                filesPerDay * kStations * kMonths * kDays, kStations * kMonths * kDays, files);
    makeTree(test, filesPerDay, files);

    // Opening and expanding.
    {
        DiskFileSystem fs;
        ScanFolderModel model(fs, appDir);
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
    for (int round = 0; round < 3; ++round) {
        auto t = Clock::now();
        qsizetype n = 0;
        QDirIterator it(test + QStringLiteral("/Flat"), QDir::Files);
        while (it.hasNext()) {
            it.next();
            ++n;
        }
        bare = std::min(bare, seconds(t));
        seen = n;

        DiskFileSystem fs;
        ScanFolderModel model(fs, appDir);
        const QModelIndex flat = model.indexForPath(test + QStringLiteral("/Flat"));
        t = Clock::now();
        shown = model.files(flat, 0).size();
        fill = std::min(fill, seconds(t));
    }
    std::printf("flat folder: %lld names, %lld listed; list %.1f ms, bare pass %.1f ms, "
                "ratio %.2f (aim <= 2.0)\n",
                qlonglong(seen), qlonglong(shown), fill * 1e3, bare * 1e3, fill / bare);

    // Deleting station-years, alternating with QDir::removeRecursively on the next station.
    double ours = 0, theirs = 0;
    int reads = 0, folders = 0;
    for (int s = 0; s + 1 < kStations; s += 2) {
        DiskFileSystem fs;
        auto t = Clock::now();
        deleteFolderTree(fs, test + QLatin1Char('/') + station(s) + QStringLiteral("/2024"));
        ours += seconds(t);
        reads += fs.reads;
        folders += 1 + kMonths + kMonths * kDays;
        t = Clock::now();
        QDir(test + QLatin1Char('/') + station(s + 1) + QStringLiteral("/2024"))
            .removeRecursively();
        theirs += seconds(t);
    }
    std::printf("delete a station-year: %.2f folder reads per folder (aim 1.0); "
                "%.1f ms against removeRecursively %.1f ms, ratio %.2f (aim <= 1.5)\n",
                double(reads) / folders, ours * 1e3 / (kStations / 2),
                theirs * 1e3 / (kStations / 2), ours / theirs);
    return 0;
}
