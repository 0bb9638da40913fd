#include "panel/ScanBrowser.h"
#include "panel/ScanFolderModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

// The disk, except that one path refuses to go; every removal tried is counted per path.
struct RefusingFileSystem : DiskFileSystem {
    QString refused;
    std::map<QString, int> tries;
    bool removeFile(const QString& path) override {
        ++tries[path];
        return path != refused && DiskFileSystem::removeFile(path);
    }
    bool removeFolder(const QString& path) override {
        ++tries[path];
        return path != refused && DiskFileSystem::removeFolder(path);
    }
};

struct BrowserTree : ::testing::Test {
    TempAppDir app;
    QString at(const QString& rel) const { return app.path() + rel; }
    void file(const QString& rel) { ASSERT_TRUE(writeAll(at(rel), "x")); }
    void SetUp() override {
        // Two stations, two years, a few days, and the event log.
        for (const char* s : {"S1", "s2"})
            for (const char* y : {"2023", "2024"})
                for (const char* d : {"01/01", "01/02", "02/15"})
                    for (const char* f : {"SM_E1.SPC", "SM_E1.TXT", "Table_Mode.TXT"})
                        file(QStringLiteral("Test/%1/%2/%3/%4")
                                 .arg(QLatin1String(s), QLatin1String(y), QLatin1String(d),
                                      QLatin1String(f)));
        file(QStringLiteral("Test/Log/2024/01/02.TXT"));
        file(QStringLiteral("Panels/Untitled.EST"));
    }
    QString openLog() const { return at(QStringLiteral("Test/Log/2024/01/02.TXT")); }
};

TEST_F(BrowserTree, LevelCheckKeepsTheBrowserInsideTest) {
    QTemporaryDir outside;
    ASSERT_TRUE(QFile::link(outside.path(), at("Test/S1/away")));
    const std::pair<const char*, bool> cases[] = {
        {"Test/S1/2024", true},     {"Test", true},     {"", false},
        {"Test/../Panels", false},  {"Testing", false}, {"Test/S1/away", false},
        {"Test/S1/away/sub", false}};
    for (const auto& [rel, inside] : cases)
        EXPECT_EQ(ControllaLivelloDirTest(app.path(), at(rel)), inside) << rel;
}

TEST_F(BrowserTree, TheEventLogCannotBeDeletedNorAnyFolderAboveIt) {
    const QString log = openLog();
    EXPECT_TRUE(ControllaCancDirLog(app.path(), at("Test/S1/2024"), log));
    for (const char* rel : {"Test", "Test/", "Test/Log/2024", "Test/Log/2024/01", "Test/../Panels"})
        EXPECT_FALSE(ControllaCancDirLog(app.path(), at(rel), log)) << rel;
    EXPECT_FALSE(ControllaCancDirLog(app.path(), at("Test/Log/"), QString()));
    EXPECT_FALSE(fileMayBeDeleted(app.path(), log, log));
    EXPECT_TRUE(fileMayBeDeleted(app.path(), at("Test/S1/2024/01/01/SM_E1.SPC"), log));
    EXPECT_FALSE(fileMayBeDeleted(app.path(), at("Panels/Untitled.EST"), log));
    EXPECT_EQ(TrovaUltimaDir(at("Test/S1/2024/")), at("Test/S1"));
    EXPECT_EQ(TrovaUltimaDir(at("Test/S1/2024")), at("Test/S1"));
}

TEST_F(BrowserTree, ListingFiltersByTypeAndSortsIgnoringCase) {
    const QString day = at("Test/S1/2024/01/01/");
    for (const char* f : {"b.spc", "A.SPC", "a2.Spc", "c.txt", "SPC", "x.SPC.bak"})
        file(QStringLiteral("Test/S1/2024/01/01/") + QLatin1String(f));
    ASSERT_TRUE(QDir().mkpath(day + "folder.SPC"));
    DiskFileSystem fs;
    EXPECT_EQ(listScanFiles(fs, day, 0), (QStringList{"A.SPC", "a2.Spc", "b.spc", "SM_E1.SPC"}));
    EXPECT_EQ(listScanFiles(fs, day, 3), (QStringList{"c.txt", "SM_E1.TXT", "Table_Mode.TXT"}));
    EXPECT_EQ(fs.reads, 2);
    EXPECT_EQ(scanTypeIndex("TXT (Text)"), 3);
    EXPECT_EQ(scanTypeIndex("TXT"), -1);
}

TEST_F(BrowserTree, DeleteRemovesAYearWholeReadingEachFolderOnce) {
    DiskFileSystem fs;
    EXPECT_TRUE(deleteFolderTree(fs, at("Test/S1/2024/")));
    EXPECT_FALSE(QFileInfo::exists(at("Test/S1/2024")));
    EXPECT_TRUE(QFileInfo::exists(at("Test/S1/2023/02/15/SM_E1.SPC")));
    EXPECT_EQ(fs.reads, 1 + 2 + 3); // the year, its two months, its three days
}

TEST_F(BrowserTree, AnEntryThatRefusesEndsTheDeleteAfterOnePass) {
    RefusingFileSystem fs;
    fs.refused = at("Test/S1/2024/01/02/SM_E1.SPC");
    EXPECT_FALSE(deleteFolderTree(fs, at("Test/S1")));
    for (const auto& [path, count] : fs.tries)
        EXPECT_EQ(count, 1) << path.toStdString();
    // What holds the refusing file stays; every other file and folder is gone.
    QStringList left;
    QDirIterator it(at("Test/S1"), QDir::AllEntries | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        left << QDir(at("Test/S1")).relativeFilePath(it.next());
    left.sort();
    EXPECT_EQ(left, (QStringList{"2024", "2024/01", "2024/01/02", "2024/01/02/SM_E1.SPC"}));
}

TEST_F(BrowserTree, ALinkIsRemovedAsALinkAndItsTargetIsUntouched) {
    QTemporaryDir outside;
    ASSERT_TRUE(writeAll(outside.path() + "/keep/precious.SPC", "data"));
    ASSERT_TRUE(QFile::link(outside.path(), at("Test/S1/2024/01/01/away")));
    ASSERT_TRUE(QFile::link(outside.path() + "/keep/precious.SPC", at("Test/S1/2024/fl.SPC")));
    DiskFileSystem fs;
    EXPECT_TRUE(deleteFolderTree(fs, at("Test/S1/2024")));
    EXPECT_FALSE(QFileInfo::exists(at("Test/S1/2024")));
    EXPECT_EQ(readAll(outside.path() + "/keep/precious.SPC"), "data");
}

TEST_F(BrowserTree, FolderModelReadsAFolderOnlyWhenItIsOpened) {
    DiskFileSystem fs;
    ScanFolderModel model(fs, app.path());
    const QModelIndex test = model.rootIndex();
    ASSERT_TRUE(test.isValid());
    EXPECT_EQ(fs.reads, 0);
    model.fetchMore(test);
    EXPECT_EQ(fs.reads, 1);
    ASSERT_EQ(model.rowCount(test), 3); // folders only, sorted ignoring case
    int row = 0;
    for (const char* name : {"Log", "S1", "s2"})
        EXPECT_EQ(model.index(row++, 0, test).data().toString(), name);
    EXPECT_TRUE(model.files(test, 0).isEmpty());
    EXPECT_EQ(fs.reads, 1); // the same read gave the files

    const QModelIndex station = model.index(1, 0, test);
    EXPECT_TRUE(model.canFetchMore(station));
    model.fetchMore(station);
    EXPECT_EQ(fs.reads, 2);
    EXPECT_EQ(model.rowCount(station), 2);

    const QModelIndex day = model.indexForPath(at("Test/S1/2024/01/02"));
    EXPECT_EQ(model.folderPath(day), at("Test/S1/2024/01/02"));
    EXPECT_EQ(model.files(day, 0), QStringList{"SM_E1.SPC"});
    EXPECT_EQ(model.indexForPath(at("Test/../Panels")), test);
    EXPECT_EQ(model.indexForPath(at("Test/S1/2024/07")), model.parent(model.parent(day)));

    // After a delete the folder's item goes and nothing points into it.
    QPersistentModelIndex year = model.parent(model.parent(day));
    ASSERT_TRUE(deleteFolderTree(fs, at("Test/S1/2024")));
    const QModelIndex shown = model.refresh(year);
    EXPECT_EQ(shown, QModelIndex(station));
    EXPECT_FALSE(year.isValid());
    EXPECT_EQ(model.rowCount(station), 1);
}

TEST(ScanFolderModelMissing, AMissingTestFolderGivesAnEmptyModelAndCreatesNothing) {
    TempAppDir app;
    DiskFileSystem fs;
    ScanFolderModel model(fs, app.path());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.rootIndex().isValid());
    EXPECT_FALSE(model.indexForPath(app.path() + "Test/S1").isValid());
    EXPECT_TRUE(model.files(model.rootIndex(), 0).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(app.path() + "Test"));
}

} // namespace
