#pragma once

#include "measure/Exposure.h"
#include "measure/ExposureSetup.h"
#include "measure/FieldData.h"
#include "measure/ListReport.h"
#include "measure/RunSettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

class TestDirs;

// One station's period as evaluated against the exposure table.
struct StationPeriodResult {
    int slot = 0;
    QString serial;
    QDateTime start;
    QDateTime end;
    std::optional<PeriodExposure> exposure; // empty: no table in use
    bool aboveAlarm = false;                // the total is above the alarm level
    QString csvProblem;                     // empty when the CSV rows were written
};

namespace ResultsCsv {

inline const char* const kFileName = "Table_Mode.csv";

// The header row (with its line end).
QByteArray header();
// "yyyy-MM-ddTHH:mm:ss+hh:mm".
QString isoTimestamp(const QDateTime& t);
// The period's exposure of a station: each row in use with its evaluated mean.
std::vector<ExposureLine> exposureLines(const RunSettings& s, const TableRows& table,
                                        const DatiCentralina& data);
// The rows of one station's period (line ends included).
QByteArray rows(const RunSettings& s, const TableRows& table, const DatiCentralina& data,
                const StationPeriodResult& r, const ExposureSetup& setup);
// Appends rows to a CSV file: writes the header into an empty file, and cuts a torn last row
// (one without its line end, left by a crash) before appending, so it is not repeated. Rows
// already complete are never rewritten. *note tells of a cut row.
bool append(const QString& path, const QByteArray& rows, QString* note);

// One line of a station's period totals for a console, e.g. "Exposure 111AA01111
// 2026-01-15T10:00:00+01:00 - 2026-01-15T10:01:00+01:00: 18.8 % of ICNIRP 1998 general public
// (E linear 5.75 %, E square 18.76 %; alarm at 100 %)". Empty when no table was chosen.
QString totalsLine(const StationPeriodResult& r, const ExposureSetup& setup);

// Evaluates and appends the period of every station whose report block is written (present
// and selected, serial number known and safe, data complete).
std::vector<StationPeriodResult> recordPeriod(TestDirs& dirs, const RunSettings& s,
                                              const TableRows& table, const RunStations& stations,
                                              const DatiStazioni& data,
                                              const ReportStations& report,
                                              const ExposureSetup& setup, const QDateTime& end);

} // namespace ResultsCsv
