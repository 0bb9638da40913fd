#include "spectrum/SpcFile.h"
#include "views/FrmOpenScan.h"
#include "views/widgets/StyledControls.h"

#include "ViewsFixture.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalSpy>
#include <QTreeView>

namespace {

// The system viewer as far as the program can tell: whatever handles "file" addresses.
class Viewer : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

struct Tree : ViewsFixture {
    Tree() {
        for (const char* s : {"S1", "s2"})
            for (const char* y : {"2023", "2024"})
                for (const char* f :
                     {"01/02/SM_E1.SPC", "01/02/SM_E1.JPG", "01/02/b.txt", "03/04/SM_H2.SPC"})
                    add(QString("Test/%1/%2/%3")
                            .arg(QLatin1String(s), QLatin1String(y), QLatin1String(f)));
        ctx->eventLog.WriteEventLog("Software Start"); // the open log
    }
    void add(const QString& rel) { QVERIFY(writeAll(dir.path() + rel, "x")); }
    QString at(const QString& rel) const { return dir.path() + rel; }
};

QStringList rows(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// The folders in the browser's current folder.
QStringList subFolders(const FrmOpenScan& b) {
    const QModelIndex at = b.Dir1()->currentIndex();
    QStringList out;
    for (int i = 0; i < b.Dir1()->model()->rowCount(at); ++i)
        out << b.Dir1()->model()->index(i, 0, at).data().toString();
    return out;
}

void chooseType(FrmOpenScan& b, int type) {
    b.CBXEstensioni()->setCurrentIndex(type);
    emit b.CBXEstensioni()->activated(type);
}

void runBrowser(MainForm& form, const std::function<void(FrmOpenScan&)>& act) {
    runModal<FrmOpenScan>(form.action("mnuOpenScan"), act);
}

} // namespace

class TestOpenScan : public QObject {
    Q_OBJECT

private slots:
    void theBrowserWalksAndDeletesInsideTestOnly() {
        Tree f;
        RecordingPrompts prompts;
        FrmOpenScan b(*f.ctx, *f.model, prompts, AppearanceValues{}, QString());
        b.show();
        QCOMPARE(b.currentFolder(), f.at("Test"));
        QCOMPARE(subFolders(b), (QStringList{"Log", "S1", "s2"}));
        QVERIFY(rows(b.File1()).isEmpty());

        b.showFolder(f.at("Test/S1/2024/01/02"));
        QCOMPARE(rows(b.File1()), QStringList{"SM_E1.SPC"});
        chooseType(b, 3);
        QCOMPARE(rows(b.File1()), QStringList{"b.txt"});
        QVERIFY(!b.CMBOpen()->isEnabled());
        b.File1()->setCurrentRow(0);
        QVERIFY(b.CMBOpen()->isEnabled());

        // Backspace walks up, and never above "Test/".
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(b.Dir1(), Qt::Key_Backspace);
        QCOMPARE(b.currentFolder(), f.at("Test"));

        // Delete: never for Test, the log folders or the open log; once for a year.
        for (const QString& folder : {f.at("Test"), f.at("Test/Log"),
                                      QFileInfo(f.ctx->eventLog.currentPath()).absolutePath()}) {
            b.showFolder(folder);
            QTest::keyClick(b.Dir1(), Qt::Key_Delete);
        }
        QVERIFY(prompts.asked.isEmpty());
        QVERIFY(QFileInfo::exists(f.ctx->eventLog.currentPath()));

        b.showFolder(f.at("Test/S1/2024"));
        QTest::keyClick(b.Dir1(), Qt::Key_Delete);
        QCOMPARE(prompts.asked,
                 QStringList{"Are you sure you want to delete " + f.at("Test/S1/2024") + " ?"});
        QVERIFY(!QFileInfo::exists(f.at("Test/S1/2024")));
        QCOMPARE(b.currentFolder(), f.at("Test/S1"));
        QCOMPARE(subFolders(b), QStringList{"2023"});

        // A file: asked by its name; Cancel keeps it, OK removes it.
        b.showFolder(f.at("Test/s2/2023/01/02"));
        chooseType(b, 1);
        b.File1()->setCurrentRow(0);
        for (bool yes : {false, true}) {
            prompts.answer = yes;
            QTest::keyClick(b.File1(), Qt::Key_Delete);
            QCOMPARE(prompts.asked.last(), "Are you sure you want to delete SM_E1.JPG ?");
            QCOMPARE(QFileInfo::exists(f.at("Test/s2/2023/01/02/SM_E1.JPG")), !yes);
        }
        QVERIFY(rows(b.File1()).isEmpty());
    }

    void theTypeIsKeptInThePanelAndOpeningGoesToReviewOrTheViewer() {
        Tree f;
        WindowOn<> w(f);
        MainForm& form = w.form;
        RecordingPrompts& prompts = w.prompts;
        form.show();
        QSignalSpy review(&form, &MainForm::reviewRequested);
        {
            SweepSettings settings;
            settings.setRange(0.1f, 30.0f);
            auto data = std::make_unique<SpectrumData>();
            buildFrequencyAxis(settings, *data);
            QVERIFY(SalvaStrSpettro(f.at("Test/s2/2024/03/04/SM_H2.SPC"), SpcHeader{}, settings,
                                    *data));
        }
        Viewer viewer;
        QDesktopServices::setUrlHandler("file", &viewer, "open");

        // A spectrum file, chosen by double click, goes to the spectrum window.
        runBrowser(form, [&](FrmOpenScan& b) {
            b.showFolder(f.at("Test/s2/2024/03/04"));
            QCOMPARE(rows(b.File1()), QStringList{"SM_H2.SPC"});
            QVERIFY(QTest::qWaitForWindowExposed(&b));
            const QPoint at = b.File1()->visualItemRect(b.File1()->item(0)).center();
            QTest::mouseClick(b.File1()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(b.File1()->viewport(), Qt::LeftButton, {}, at);
        });
        QCOMPARE(form.ReviewFile(), f.at("Test/s2/2024/03/04/SM_H2.SPC"));
        QCOMPARE(review.size(), 1);
        QCOMPARE(review.at(0).at(0).toString(), form.ReviewFile());

        // A damaged spectrum file is reported, not handed on.
        runBrowser(form, [&](FrmOpenScan& b) {
            b.showFolder(f.at("Test/s2/2023/01/02"));
            b.File1()->setCurrentRow(0);
            b.CMBOpen_Click();
        });
        QCOMPARE(review.size(), 1);
        QCOMPARE(prompts.shown,
                 QStringList{"Failed loading " + f.at("Test/s2/2023/01/02/SM_E1.SPC")});
        prompts.shown.clear();

        // The next browser starts in that file's folder; a JPG goes to the viewer by Enter.
        runBrowser(form, [&](FrmOpenScan& b) {
            QCOMPARE(b.currentFolder(), f.at("Test/s2/2023/01/02"));
            b.showFolder(f.at("Test/S1/2023/01/02"));
            chooseType(b, 1);
            b.File1()->setCurrentRow(0);
            QTest::keyClick(b.File1(), Qt::Key_Return);
        });
        QCOMPARE(viewer.opened,
                 QList<QUrl>{QUrl::fromLocalFile(f.at("Test/S1/2023/01/02/SM_E1.JPG"))});
        QCOMPARE(review.size(), 1);

        // The type survives closing and reopening, and is in the panel file.
        QCOMPARE(f.fileRecord().ScanExtensionIndex, qint16(1));
        runBrowser(form, [&](FrmOpenScan& b) {
            QCOMPARE(b.CBXEstensioni()->currentText(), "JPG (Jpeg)");
            QCOMPARE(rows(b.File1()), QStringList{"SM_E1.JPG"});
            QTest::mouseClick(b.CMBExit(), Qt::LeftButton);
        });
        QVERIFY(form.ReviewFile().isEmpty());
        QCOMPARE(viewer.opened.size(), 1);

        // With nothing to show a file in, the operator is told so with the path.
        QDesktopServices::unsetUrlHandler("file");
        runBrowser(form, [&](FrmOpenScan& b) {
            b.showFolder(f.at("Test/S1/2023/01/02"));
            b.File1()->setCurrentRow(0);
            b.CMBOpen_Click();
        });
        QCOMPARE(prompts.shown,
                 QStringList{"No program could open " + f.at("Test/S1/2023/01/02/SM_E1.JPG")});
    }

    void aMissingTestFolderShowsNothingAndCreatesNothing() {
        ViewsFixture f;
        QDir(f.dir.path() + "Test").removeRecursively();
        RecordingPrompts prompts;
        FrmOpenScan b(*f.ctx, *f.model, prompts, AppearanceValues{}, "/nowhere/x.SPC");
        b.show();
        QCOMPARE(b.Dir1()->model()->rowCount(), 0);
        QCOMPARE(b.File1()->count(), 0);
        for (int key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Down})
            QTest::keyClick(b.Dir1(), Qt::Key(key));
        chooseType(b, 2);
        QVERIFY(prompts.asked.isEmpty());
        QVERIFY(!QFileInfo::exists(f.dir.path() + "Test"));
    }
};

QTEST_MAIN(TestOpenScan)
#include "test_open_scan.moc"
