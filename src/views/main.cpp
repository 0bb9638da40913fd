#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/EventPump.h"
#include "panel/PanelModel.h"
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

    InitForm init(ctx);
    std::unique_ptr<PanelModel> panel;
    std::unique_ptr<MainForm> main;
    init.onFirstTick = [&] {
        panel = std::make_unique<PanelModel>(ctx, init.settings());
        main = std::make_unique<MainForm>(ctx, *panel, appearanceFrom(init.settings()),
                                          init.SetupRelease(), &init);
        main->load();
        main->show();
    };
    init.show();
    return app.exec();
}
