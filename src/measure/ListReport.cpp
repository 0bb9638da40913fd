#include "measure/ListReport.h"

#include "app/Release.h"
#include "app/TestDirs.h"
#include "app/ValueLists.h"

#include <QFile>
#include <QFileInfo>

namespace ListReport {

namespace {
QString separator(const RunSettings& s) {
    return ValueLists::separatorText(s.separatorIndex);
}

QString detectorName(const RunSettings& s) {
    return s.detectorIndex == 1 ? QStringLiteral("RMS") : QStringLiteral("AVG");
}

QString rbwName(int index) {
    const QStringList names = ValueLists::rbwNames();
    return index >= 0 && index < names.size() ? names[index] : QString();
}

QString reportPath(TestDirs& dirs, const QString& serial, bool create) {
    if (!TestDirs::isSafeName(serial)) return {};
    dirs.TestName = serial;
    const QString dir = create ? dirs.MakeTestDirectories() : dirs.dayDir();
    return dir.isEmpty() ? QString() : dir + QLatin1String(kFileName);
}

// A file whose last write was cut short (the program killed mid-block) ends inside a line;
// the next block must not be glued to it.
QByteArray lineEndFor(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() == 0 || !f.seek(f.size() - 1)) return {};
    const QByteArray last = f.read(1);
    if (last == "\n") return {};
    return last == "\r" ? QByteArray("\n") : QByteArray("\r\n");
}

// Appends the bytes, or leaves the file exactly as it was: a write that fails part way (a
// full disk) is taken back, so the next block does not follow a torn one. Unbuffered, so a
// failure is seen at the write (not lost at close) and nothing is left to retry on resize.
bool append(const QString& path, const QByteArray& bytes) {
    const QByteArray out = lineEndFor(path) + bytes;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return false;
    const qint64 before = f.size();
    if (f.write(out) == out.size()) return true;
    f.resize(before);
    return false;
}
} // namespace

QString headingLine(const RunSettings& s) {
    const FieldSelection f = FieldSelection::from(s);
    const QString sep = separator(s);
    QString line = ForSTPerReport(QStringLiteral("Frequency MHz"), true, 0, 0, sep) +
                   ForSTPerReport(QStringLiteral("RBW"), false, 0, 0, sep);
    if (f.e)
        line += ForSTPerReport(QStringLiteral("E V/m (") + detectorName(s) + QStringLiteral(")  "),
                               false, 0, 0, sep);
    if (f.h())
        line += ForSTPerReport(QStringLiteral("H A/m (") + detectorName(s) + QStringLiteral(")  "),
                               false, 0, 0, sep);
    return line;
}

QString dataLine(const RunSettings& s, const TableRow& row, const LetturaFreq& r,
                 const NumberColumns& freqColumn) {
    const QString sep = separator(s);
    QString line = ForSTPerReport(shortestText(row.frequency), true, freqColumn.maxIntDigits(),
                                  freqColumn.maxDecDigits(), sep) +
                   ForSTPerReport(rbwName(row.rbw), false, 0, 0, sep);
    // Reports always show the period's mean, never the instantaneous value.
    const FieldSelection f = FieldSelection::from(s);
    if (f.e) line += ForSTPerReport(fieldText(r.mean.e).trimmed(), false, 3, 4, sep);
    if (f.h()) line += ForSTPerReport(fieldText(r.mean.h).trimmed(), false, 3, 4, sep);
    return line;
}

QByteArray block(const RunSettings& s, const TableRows& table, const NumberColumns& freqColumn,
                 const DatiCentralina& data, const ReportStation& st, bool fileEmpty) {
    QString out;
    const QString crlf = QStringLiteral("\r\n");
    if (!fileEmpty) out += crlf;
    if (st.firstBlock) out += QLatin1String(kStartLine) + crlf;
    out += QStringLiteral("Station: ") + st.serial + QStringLiteral(" Reading : ") +
           QString::number(data.NumLetture) + QLatin1Char(' ') +
           st.firstReading.toString(QStringLiteral("dd/MM/yyyy")) + QLatin1Char(' ') +
           st.firstReading.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" Rate: ") +
           QString::number(s.listModeRate) + QStringLiteral(" min.") + crlf;
    if (st.firstBlock)
        out += QStringLiteral("Rel. FW: ") + st.firmware + QStringLiteral(" Rel. SW: ") +
               ReleaseText().left(4) + crlf;
    out += crlf;
    out += headingLine(s) + crlf;
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].frequency != 0.0)
            out += dataLine(s, table[i], data.rows[i], freqColumn) + crlf;
    }
    return out.toLatin1();
}

bool StampaReportListMode(TestDirs& dirs, const RunSettings& s, const TableRows& table,
                          const NumberColumns& freqColumn, const RunStations& stations,
                          const DatiStazioni& data, ReportStations& report, bool stopRequested,
                          QStringList* unwritten) {
    const int rowsInUse = countRowsInUse(table);
    for (int i = 0; i < kStationCount; ++i) {
        if (!stations[i].presentAndSelected() || report[i].serial.isEmpty()) continue;
        if (rowsInUse == 0 || ControllaDatiCompleti(data[i], table) != rowsInUse) continue;
        const QString path = reportPath(dirs, report[i].serial, true);
        if (path.isEmpty()) continue;
        const bool fileEmpty = QFileInfo(path).size() == 0;
        if (append(path, block(s, table, freqColumn, data[i], report[i], fileEmpty)))
            report[i].firstBlock = false;
        else if (unwritten)
            unwritten->append(report[i].serial);
    }
    if (!stopRequested) return true;
    for (int i = 0; i < kStationCount; ++i) {
        if (report[i].serial.isEmpty()) continue;
        const QString path = reportPath(dirs, report[i].serial, false);
        if (path.isEmpty() || QFileInfo(path).size() <= 0) continue;
        if (!append(path, QByteArray(kStopLine) + "\r\n") && unwritten)
            unwritten->append(report[i].serial);
    }
    return false;
}

} // namespace ListReport
