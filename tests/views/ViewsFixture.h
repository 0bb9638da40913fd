#pragma once

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "app/Keypad.h"
#include "freqtable/FreqTableFile.h"
#include "measure/Session.h"
#include "panel/LoadSaveDialog.h"
#include "panel/PanelFile.h"
#include "panel/PanelModel.h"
#include "panel/SettingsFile.h"
#include "sim/SimChannel.h"
#include "support/TestSupport.h"
#include "views/InitForm.h"
#include "views/MainForm.h"
#include "views/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// A program frame on a temporary application directory and a virtual clock, with a panel
// of the given stations (port, comment, enabled) and a usable frequency table "T".
struct ViewsFixture {
    struct Station {
        int comm;
        QString comment;
        bool enabled;
    };

    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump{clock};
    std::unique_ptr<AppContext> ctx;
    SettingsRecord settings;
    std::unique_ptr<PanelModel> model;

    explicit ViewsFixture(const QList<Station>& stations = {}, const QString& commandLine = {}) {
        ctx = std::make_unique<AppContext>(dir.path(), commandLine, clock, pump);
        writeTable(QStringLiteral("T"), 1.0);
        settings = LoadSettings(settingsPath(*ctx));
        model = std::make_unique<PanelModel>(*ctx, settings);
        model->startUp();
        model->setFreqTableName(QStringLiteral("T"));
        for (const Station& s : stations)
            model->addStation(s.comm, QString(), s.comment, s.enabled);
        model->rebuild();
    }

    void writeTable(const QString& name, double mhz) {
        FreqTable t;
        t.rows[0] = {mhz, 1, 0};
        FreqTableFile::write(dir.path() + QStringLiteral("Table/") + name + QStringLiteral(".FTR"),
                             t);
    }

    // The current panel file as read back from disk.
    PanelRecord fileRecord() const {
        PanelRecord r;
        PanelFile::read(model->currentPanelPath(), r);
        return r;
    }

    // Where an open settings dialog keeps its copy to put back.
    QString tmpPath() const { return ctx->path("Panels/TMP.TMP"); }

    const StationRecord& slot(int s) const { return model->panel().Stations[size_t(s)]; }
};

// The operator as a test plays it: questions get `answer`, and every text is kept.
struct RecordingPrompts : Prompts {
    QStringList asked;
    QStringList shown;
    bool answer = true;
    bool question(const QString& text) override {
        asked << text;
        return answer;
    }
    void message(const QString& text, MessageIcon) override { shown << text; }

    // --- colours and the keypad: `colour` and `keypadValue` answer, Cancel unless set -------
    std::optional<quint32> colour;
    double keypadValue = Keypad::Cancelled;
    QStringList colourTitles;
    QList<int> keypadModes;
    std::optional<quint32> chooseColour(const QString& title, quint32) override {
        colourTitles << title;
        return colour;
    }
    double keypad(int mode, QWidget*) override {
        keypadModes << mode;
        return keypadValue;
    }

    // --- file and table windows: answers taken in order, then the cautious one -------------
    QList<bool> yesNo;                  // askYesNo; No when none is left
    QList<bool> retries;                // retryOrCancel; Cancel when none is left
    QList<int> choices;                 // MsgboxNameST; 2 (closed by the frame) when none left
    QStringList dialogResults;          // FrmLoadSave; no choice when none is left
    QList<LoadSaveParams> dialogsShown; // what every FrmLoadSave was opened with
    QString savePath;                   // saveFileName
    bool askYesNo(const QString& text) override {
        asked << text;
        return !yesNo.isEmpty() && yesNo.takeFirst();
    }
    void titledMessage(const QString& title, const QString& text) override {
        shown << title + QStringLiteral(": ") + text;
    }
    std::function<void()> onRetry; // the operator putting things right before Retry
    bool retryOrCancel(const QString& text) override {
        asked << text;
        const bool retry = !retries.isEmpty() && retries.takeFirst();
        if (retry && onRetry) onRetry();
        return retry;
    }
    int MsgboxNameST(const QString& text, const QStringList&, QString* name) override {
        asked << text;
        const int c = choices.isEmpty() ? 2 : choices.takeFirst();
        if (name && c == 2) name->clear();
        return c;
    }
    QString FrmLoadSave(const LoadSaveParams& params) override {
        dialogsShown << params;
        return dialogResults.isEmpty() ? QString() : dialogResults.takeFirst();
    }
    QString saveFileName(const QString&, const QString&, const QString&) override {
        return savePath;
    }
    // --- spectrum files: the names asked about; Retry from `retries` too ---------------------
    QStringList cannotSave, failedLoading;
    bool retryCannotSave(const QString& name) override {
        cannotSave << name;
        return !retries.isEmpty() && retries.takeFirst();
    }
    bool retryFailedLoading(const QString& name) override {
        failedLoading << name;
        return !retries.isEmpty() && retries.takeFirst();
    }
};

// The lines of the event log now being written.
inline QStringList logLines(const AppContext& ctx) {
    return QString::fromLatin1(readAll(ctx.eventLog.currentPath()))
        .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// The main window over a fixture, loaded as at start-up; P plays the operator.
template <class P = RecordingPrompts> struct WindowOn {
    P prompts;
    MainForm form;
    bool quit = false;
    explicit WindowOn(ViewsFixture& f, const QString& release = {})
        : form(*f.ctx, *f.model, appearanceFrom(f.settings), release) {
        form.setPrompts(prompts);
        QObject::connect(&form, &MainForm::quitRequested, [this] { quit = true; });
        form.load();
    }
};

// The main window over a session on simulated probes and a virtual clock, wired as the program
// wires them, with the table "T1" of the given frequencies chosen.
struct SessionWindow {
    TempAppDir dir;
    VirtualClock clock{QDate(2026, 1, 15), 36000.0};
    VirtualPump pump{clock, 0.002};
    AppContext ctx{dir.path(), QString(), clock, pump};
    SimChannel channel{clock};
    SettingsRecord settings = SettingsDefaults();
    Session session{ctx, settings, channel};
    PanelModel& panel = session.panelModel();
    RecordingPrompts prompts;
    MainForm form{ctx, panel, AppearanceValues{}, QString()};

    explicit SessionWindow(const QList<double>& tableMHz) {
        FreqTable t;
        for (qsizetype i = 0; i < tableMHz.size(); ++i)
            t.rows[size_t(i)] = {tableMHz[i], 1, 0};
        FreqTableFile::write(dir.path() + "Table/T1.FTR", t);
        form.setPrompts(prompts);
        form.attachSession(session);
        session.setRunView(&form);
        session.setLinkView(&form);
        form.load();
        panel.setFreqTableName("T1");
    }
};

// Triggers `action`; once the modal window it opens is up, `act` plays the operator in it, and
// a window still open afterwards is dismissed.
template <class Dialog> void runModal(QAction* action, const std::function<void(Dialog&)>& act) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY(d);
        ran = true;
        act(*d);
        if (d->isVisible()) d->reject();
    });
    action->trigger();
    QVERIFY(ran);
}
