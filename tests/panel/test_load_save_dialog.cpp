#include "panel/FileNames.h"
#include "panel/LoadSaveDialog.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

void writeAged(const QString& path, const QByteArray& data, int secondsAgo) {
    writeAll(path, data);
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                  QFileDevice::FileModificationTime);
}

// The dialog as the panel windows (Open, Save As) or the frequency-table windows open it.
LoadSaveParams params(const TempAppDir& dir, bool open, bool table = false) {
    LoadSaveParams p;
    p.DialogExtension = table ? "FTR" : "EST";
    p.DialogFolder = dir.file(table ? "Table/" : "Panels/");
    p.DialogDefaultName = table ? "Table" : "Untitled";
    p.DialogOpenMode = open;
    p.DialogRefuseNone = p.DialogResultWithoutExtension = table;
    return p;
}

} // namespace

TEST(LoadSaveDialog, ListsByNameIgnoringCaseOrNewestFirstKeepingTheRealFile) {
    TempAppDir dir;
    QDir().mkpath(dir.file("Panels"));
    writeAged(dir.file("Panels/beta.EST"), "b", 300);
    writeAged(dir.file("Panels/Alpha.est"), "a", 100);
    writeAged(dir.file("Panels/gamma.EST"), "g", 10);
    writeAll(dir.file("Panels/other.TXT"), "x");
    writeAll(dir.file("Panels/Untitled.EPN"), "x");

    LoadSaveDialog byName(params(dir, true));
    byName.refresh();
    EXPECT_EQ(byName.titles(), QStringList({"Alpha", "beta", "gamma"}));
    EXPECT_EQ(byName.entries()[0].fileName, "Alpha.est");

    LoadSaveParams p = params(dir, true);
    p.SortByDate = true;
    LoadSaveDialog byDate(p);
    byDate.refresh();
    EXPECT_EQ(byDate.titles(), QStringList({"gamma", "Alpha", "beta"}));

    // Load answers the listed title; delete removes the listed file, not a rebuilt name.
    const LoadSaveOutcome o = byName.load(0);
    EXPECT_TRUE(o.close);
    EXPECT_EQ(o.result, "Alpha");
    EXPECT_FALSE(byName.load(7).close);
    EXPECT_EQ(byName.deleteQuestion(0), "Are you sure you want to delete Alpha ?");
    EXPECT_TRUE(byName.remove(0));
    EXPECT_FALSE(QFile::exists(dir.file("Panels/Alpha.est")));
    EXPECT_EQ(byName.titles().size(), 2);

    // The panel in use cannot be deleted.
    p.ProtectedEntry = "GAMMA";
    LoadSaveDialog guarded(p);
    guarded.refresh();
    QString why;
    EXPECT_TRUE(guarded.deleteQuestion(0, &why).isEmpty());
    EXPECT_EQ(why, "gamma is in use and cannot be deleted");
    EXPECT_FALSE(guarded.remove(0));
    EXPECT_TRUE(QFile::exists(dir.file("Panels/gamma.EST")));
}

TEST(LoadSaveDialog, SaveAsksBeforeReplacingInAnyCaseAndRefusesBadNames) {
    TempAppDir dir;
    QDir().mkpath(dir.file("Panels"));
    const QString abc = dir.file("Panels/abc.est");
    writeAged(abc, "keep", 500);
    const QDateTime stamp = QFileInfo(abc).lastModified();

    LoadSaveDialog d(params(dir, false));
    d.refresh();
    LoadSaveOutcome o = d.save("ABC");
    EXPECT_EQ(o.question, "ABC exists already.\rDo you want to replace it?");
    EXPECT_TRUE(o.close);
    EXPECT_EQ(o.result, "ABC.EST");
    // Asking writes nothing: the file keeps its bytes and time.
    EXPECT_EQ(readAll(abc), QByteArray("keep"));
    EXPECT_EQ(QFileInfo(abc).lastModified(), stamp);

    o = d.save("  Site  ");
    EXPECT_TRUE(o.question.isEmpty());
    EXPECT_EQ(o.result, "Site.EST");
    EXPECT_EQ(d.save("a+b").result, "ab.EST");

    // Blank after trimming: the default name comes back and the dialog stays.
    for (const QString& blank : {QString(), QStringLiteral("   "), QStringLiteral("+.")}) {
        o = d.save(blank);
        EXPECT_FALSE(o.close);
        EXPECT_TRUE(o.putNameBack);
        EXPECT_EQ(o.nameBack, "Untitled");
        EXPECT_TRUE(o.message.isEmpty());
    }
    // "none" is a panel name; a device name is not (which names are: FileNames).
    EXPECT_TRUE(d.save("none").close);
    o = d.save("Com3");
    EXPECT_FALSE(o.close);
    EXPECT_EQ(o.message, "File name not valid");
    // Beyond single-byte text the records could not keep the name.
    EXPECT_FALSE(d.save("Sit\u20ac").close);

    // A 199-character name is cut to 196, with the length check's message.
    o = d.save(QString(199, 'n'));
    EXPECT_EQ(o.message, "The name as been shortened in\r" + QString(196, 'n'));
    EXPECT_EQ(o.result, QString(196, 'n') + ".EST");

    // Tables: "none" refused with the default put back; the result has no extension.
    LoadSaveDialog t(params(dir, false, true));
    o = t.save("NoNe");
    EXPECT_FALSE(o.close);
    EXPECT_EQ(o.message, "File name not valid");
    EXPECT_EQ(o.nameBack, "Table");
    EXPECT_EQ(t.save("Bands").result, "Bands");
}

TEST(LoadSaveDialog, LoadRefusesNamesThatCannotBecomeTheRecordsName) {
    TempAppDir dir;
    QDir().mkpath(dir.file("Table"));
    for (const QString& name : QStringList{"NONE.FTR", "Caf\u00e9.FTR", "Z\u20ac.FTR", "aux.FTR",
                                           " pad.FTR", QString(197, 'x') + ".FTR"})
        writeAll(dir.file("Table/" + name), "t");
    LoadSaveDialog d(params(dir, true, true));
    d.refresh();
    ASSERT_EQ(d.entries().size(), 6); // all listed, so they can still be deleted
    QMap<QString, LoadSaveOutcome> by;
    for (int i = 0; i < d.entries().size(); ++i)
        by[d.entries()[i].fileName.left(4)] = d.load(i);
    EXPECT_TRUE(by["Caf\u00e9"].close); // Latin-1 is single-byte
    EXPECT_EQ(by["Caf\u00e9"].result, "Caf\u00e9");
    for (const char* bad : {"NONE", "Z\u20ac.F", "aux.", " pad"}) {
        EXPECT_FALSE(by[bad].close) << bad;
        EXPECT_EQ(by[bad].message, "File name not valid");
    }
    const LoadSaveOutcome longName = by["xxxx"];
    EXPECT_FALSE(longName.close);
    EXPECT_EQ(longName.message, "File name too long");
    EXPECT_EQ(longName.messageTitle, "Halvex OPEN FILE");
}

TEST(FileNames, DeviceNamesInAnyCaseAreNotUsable) {
    for (const char* n : {"CON", "prn", "Aux", "nul", "COM1", "com9", "LPT1", "lpt5", "con.txt"})
        EXPECT_TRUE(FileNames::isDeviceName(QString::fromLatin1(n))) << n;
    for (const char* n : {"COM0", "COM10", "CONSOLE", "LPT", "ICON", "Site"})
        EXPECT_FALSE(FileNames::isDeviceName(QString::fromLatin1(n))) << n;
    EXPECT_FALSE(FileNames::isUsableName("a/b"));
    EXPECT_FALSE(FileNames::isUsableName(".."));
    EXPECT_FALSE(FileNames::isUsableName(" a"));
    EXPECT_TRUE(FileNames::isUsableName("a b"));
}
