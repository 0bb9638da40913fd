#pragma once

#include "app/Clock.h"
#include "app/TestDirs.h"
#include "measure/ListReport.h"

#include <QByteArray>
#include <QString>

// What the crash writer and the tests that kill it share: two versions of each whole file it
// rewrites, and one station's List Mode report for the appends.
namespace CrashFiles {

inline const char* const kSerial = "CRASH00001";
inline const QDate kDay{2026, 3, 14};

// The three files by index 0..2 (panel, settings, table): path below the application
// directory, the image of version 0 or 1, and writing it through the program's own writer. The
// two panel versions differ in size (one carries a long reserved text), so a mix of both can
// never pass for either.
inline const char* const kFiles[3] = {"Panels/Crash.EST", "Panels/Untitled.EPN", "Table/Crash.FTR"};
QByteArray image(int file, int version);
bool write(const QString& appDir, int file, int version);
// Writes version `version` of all three.
bool writeAll(const QString& appDir, int version);

// The report of station kSerial on kDay with a 100-row table, one block a call.
class Report {
public:
    explicit Report(const QString& appDir);
    // Appends one block as the end of a report period does; false when it was not written.
    bool appendBlock();
    QString path() const;

private:
    VirtualClock clock_;
    TestDirs dirs_;
    RunSettings settings_;
    TableRows table_{};
    NumberColumns freq_;
    RunStations stations_{};
    DatiStazioni data_{};
    ReportStations report_{};
};

// Lines of a text file split at CR LF (a last line without one included as it is).
QList<QByteArray> lines(const QByteArray& text);

} // namespace CrashFiles
