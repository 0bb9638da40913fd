#pragma once

#include "app/Clock.h"
#include "app/EventLog.h"
#include "app/EventPump.h"
#include "app/Switches.h"
#include "app/TestDirs.h"
#include "app/TrafficLog.h"

#include <QString>

// Requests and state that every wait of the program looks at.
struct RunFlags {
    bool StopRequest = false;
    bool ExitRequest = false;
    bool MeasurementRunning = false;
    // Raised by the spectrum window's Exit or close during an acquisition; cleared when a run
    // starts.
    bool SweepStop = false;
};

// What the application frame gives every other layer: the application directory, the
// switches, time and waiting, the run flags and the logs. One instance per program run
// (tests build their own on a temporary directory and a virtual clock).
class AppContext {
public:
    AppContext(QString appDir, QString commandLine, Clock& clock, EventPump& pump);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // appDir with a trailing "/" added when missing.
    static QString normalizeAppDir(const QString& dir);
    // appDir + relative path ("Panels/", "Table/x.FTR").
    QString path(const QString& relative) const { return appDir + relative; }

    // Waits while letting events run; ends early on StopRequest. Returns false when a stop
    // ended the wait.
    bool WaitSeconds(double seconds);

    const QString appDir;
    const Switches switches;
    Clock& clock;
    EventPump& pump;
    RunFlags flags;
    EventLog eventLog;
    TrafficLog traffic;
    TestDirs testDirs;
};
