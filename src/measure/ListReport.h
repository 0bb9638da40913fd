#pragma once

#include "measure/FieldData.h"
#include "measure/NumberFormat.h"
#include "measure/RunSettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>

class TestDirs;

// What the report needs to know of one station beyond its readings.
struct ReportStation {
    QString serial;         // empty: no valid serial number read yet, so no block
    QString firmware;       // firmware release read at the first visit of the run
    bool firstBlock = true; // the next block is the first one of the run for this station
    QDateTime firstReading; // first visit of the station in the period (invalid: none yet)
};
using ReportStations = std::array<ReportStation, kStationCount>;

namespace ListReport {

inline const char* const kStartLine =
    "-------------------------- Start Test  --------------------------";
inline const char* const kStopLine =
    "-------------------------- Stop Test  ---------------------------";
inline const char* const kFileName = "Table_Mode.TXT";

// The heading line (without line end).
QString headingLine(const RunSettings& s);
// One data line (without line end) for table row `row`.
QString dataLine(const RunSettings& s, const TableRow& row, const LetturaFreq& r,
                 const NumberColumns& freqColumn);
// The whole block of one station, line ends included. fileEmpty decides the leading empty
// line; st.firstBlock the start and release lines.
QByteArray block(const RunSettings& s, const TableRows& table, const NumberColumns& freqColumn,
                 const DatiCentralina& data, const ReportStation& st, bool fileEmpty);

// Appends the period's block to the day's file of every present and selected station whose
// data are complete and whose serial number is known and safe as a folder name; clears the
// first-block flags of the stations written. On a stop, also appends the stop line to every
// such station file of the day that holds data. Returns whether the run goes on (no stop).
// `reportRows` is the number of rows in use of the table. A block that could not be written
// (a full disk) leaves its file as it was; the station's serial number is added to
// `unwritten` when given.
bool StampaReportListMode(TestDirs& dirs, const RunSettings& s, const TableRows& table,
                          const NumberColumns& freqColumn, const RunStations& stations,
                          const DatiStazioni& data, ReportStations& report, bool stopRequested,
                          QStringList* unwritten = nullptr);

} // namespace ListReport
