#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "app/TerminationSignals.h"
#include "link/SerialPortChannel.h"
#include "measure/Session.h"
#include "views/InitForm.h"
#include "views/MainForm.h"

#include <QApplication>
#include <QDir>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Switches are substring tests of the arguments joined with spaces.
    const QString commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    SystemClock clock;
    QtEventPump pump;
    AppContext ctx(QDir::currentPath(), commandLine, clock, pump);

    // The start-up form creates "Panels/", reads the settings and the setup release.
    InitForm init(ctx);
    SerialPortChannel channel(ctx.appDir);
    std::unique_ptr<Session> session;
    std::unique_ptr<MainForm> window;
    init.onFirstTick = [&] {
        session = std::make_unique<Session>(ctx, init.settings(), channel);
        window =
            std::make_unique<MainForm>(ctx, session->panelModel(), appearanceFrom(init.settings()),
                                       init.SetupRelease(), &init);
        session->setRunView(window.get());
        session->setLinkView(window.get());
        window->attachSession(*session);
        window->attachFreqTable(session->freqTable());
        QObject::connect(window.get(), &MainForm::quitRequested, &QCoreApplication::quit);
        // The run returns when it has ended; its waits keep the window responsive.
        QObject::connect(window.get(), &MainForm::executeRequested, [&] { session->CMBExecute(); });
        QObject::connect(window.get(), &MainForm::stopRequested, [&] { session->CMBStop(); });
        window->load();
        window->show();
    };
    // A signal from the system closes the program as the close box does: during a run it only
    // asks the run to stop, and the run closes the program when it has written its reports.
    watchTerminationSignals(&app, [&] {
        if (window)
            window->close();
        else
            QCoreApplication::quit();
    });
    init.show();
    return app.exec();
}
