#include "measure/ResultsCsv.h"

#include "app/TestDirs.h"
#include "app/ValueLists.h"
#include "measure/NumberFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdlib>

namespace ResultsCsv {

namespace {

const char* const kColumns[] = {"serial",
                                "period_start",
                                "period_end",
                                "frequency_MHz",
                                "rbw",
                                "detector",
                                "passes",
                                "E_V/m",
                                "H_A/m",
                                "Ex",
                                "Ey",
                                "Ez",
                                "Hx",
                                "Hy",
                                "Hz",
                                "E_percent",
                                "H_percent",
                                "limit_table",
                                "E_linear_percent",
                                "E_square_percent",
                                "H_linear_percent",
                                "H_square_percent",
                                "total_percent",
                                "alarm_percent",
                                "note"};

// RFC 4180: a field holding a comma, a quote or a line break is quoted, quotes doubled.
QString quoted(const QString& field) {
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\r')) && !field.contains(QLatin1Char('\n')))
        return field;
    return QLatin1Char('"') + QString(field).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QByteArray line(const QStringList& fields) {
    QStringList q;
    for (const QString& f : fields)
        q << quoted(f);
    return q.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

QString percent(const std::optional<double>& fraction) {
    return fraction ? QString::number(*fraction * 100.0, 'f', 2) : QString();
}

QString component(float v) {
    return QString::number(double(v), 'g', 7);
}

} // namespace

QByteArray header() {
    QStringList names;
    for (const char* c : kColumns)
        names << QLatin1String(c);
    return line(names);
}

QString isoTimestamp(const QDateTime& t) {
    // Always "+hh:mm", also for UTC: some spreadsheet imports do not read "Z".
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

std::vector<ExposureLine> exposureLines(const RunSettings& s, const TableRows& table,
                                        const DatiCentralina& data) {
    const FieldSelection f = FieldSelection::from(s);
    std::vector<ExposureLine> out;
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].frequency == 0.0) continue;
        ExposureLine l;
        l.frequency = table[i].frequency;
        if (f.e) l.e = double(data.rows[i].mean.e.value);
        if (f.h()) l.h = double(data.rows[i].mean.h.value);
        out.push_back(l);
    }
    return out;
}

QByteArray rows(const RunSettings& s, const TableRows& table, const DatiCentralina& data,
                const StationPeriodResult& r, const ExposureSetup& setup) {
    const FieldSelection f = FieldSelection::from(s);
    const QStringList rbw = ValueLists::rbwNames();
    const PeriodExposure* x = r.exposure ? &*r.exposure : nullptr;
    QByteArray out;
    size_t lineIndex = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].frequency == 0.0) continue;
        const LetturaFreq& rec = data.rows[i];
        const LineExposure* le = x && lineIndex < x->lines.size() ? &x->lines[lineIndex] : nullptr;
        ++lineIndex;
        QString note;
        if (!x) {
            note = setup.problem.isEmpty() ? QStringLiteral("no limit table")
                                           : QStringLiteral("not evaluated: ") + setup.problem;
        } else if (le && !le->evaluated) {
            note = QStringLiteral("not evaluated: outside the table's bands");
        }
        const int rb = table[i].rbw;
        out += line({
            r.serial,
            isoTimestamp(r.start),
            isoTimestamp(r.end),
            shortestText(table[i].frequency),
            rb >= 0 && rb < rbw.size() ? rbw[rb] : QString(),
            s.detectorIndex == 1 ? QStringLiteral("RMS") : QStringLiteral("AVG"),
            QString::number(data.NumLetture),
            f.e ? fourDecimals(double(rec.mean.e.value)) : QString(),
            f.h() ? fourDecimals(double(rec.mean.h.value)) : QString(),
            f.e ? component(rec.Ex) : QString(),
            f.e ? component(rec.Ey) : QString(),
            f.e ? component(rec.Ez) : QString(),
            f.h() ? component(rec.Hx) : QString(),
            f.h() ? component(rec.Hy) : QString(),
            f.h() ? component(rec.Hz) : QString(),
            le ? percent(le->e) : QString(),
            le ? percent(le->h) : QString(),
            x && setup.table ? setup.table->name : QString(),
            x ? percent(x->e.linear) : QString(),
            x ? percent(x->e.square) : QString(),
            x ? percent(x->h.linear) : QString(),
            x ? percent(x->h.square) : QString(),
            x ? percent(x->total()) : QString(),
            x ? QString::number(setup.choice.alarmPercent) : QString(),
            note,
        });
    }
    return out;
}

bool append(const QString& path, const QByteArray& rowBytes, QString* note) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)) return false;
    qint64 size = f.size();
    if (size > 0) {
        // Only the tail is read: the rows before the last line end are final.
        const qint64 tail = std::min<qint64>(size, 64 * 1024);
        f.seek(size - tail);
        const QByteArray end = f.read(tail);
        if (!end.endsWith('\n')) {
            const qsizetype lastEnd = end.lastIndexOf('\n');
            // A tail without any line end longer than any row is not ours to cut.
            if (lastEnd < 0 && tail < size) return false;
            const qint64 keep = size - tail + (lastEnd < 0 ? 0 : lastEnd + 1);
            if (!f.resize(keep)) return false;
            if (note)
                *note = QStringLiteral("%1: a torn last row (%2 bytes) was cut")
                            .arg(QFileInfo(path).fileName())
                            .arg(size - keep);
            size = keep;
        }
    }
    f.seek(size);
    QByteArray bytes = size == 0 ? header() : QByteArray();
    bytes += rowBytes;
    if (f.write(bytes) != bytes.size()) return false;
    return f.flush();
}

QString totalsLine(const StationPeriodResult& r, const ExposureSetup& setup) {
    if (setup.choice.table.isEmpty()) return {};
    QString line = QStringLiteral("Exposure %1 %2 - %3: ")
                       .arg(r.serial, isoTimestamp(r.start), isoTimestamp(r.end));
    if (!r.exposure || !setup.table)
        return line + QStringLiteral("not evaluated (%1)").arg(setup.problem);
    const PeriodExposure& x = *r.exposure;
    QStringList parts;
    auto part = [&](const char* name, const std::optional<double>& v) {
        if (v) parts << QLatin1String(name) + QLatin1Char(' ') + percent(v) + QStringLiteral(" %");
    };
    part("E linear", x.e.linear);
    part("E square", x.e.square);
    part("H linear", x.h.linear);
    part("H square", x.h.square);
    parts << QStringLiteral("alarm at %1 %").arg(setup.choice.alarmPercent);
    line +=
        x.total() ? percent(x.total()) + QStringLiteral(" %") : QStringLiteral("nothing evaluated");
    line += QStringLiteral(" of ") + setup.table->name + QStringLiteral(" (") +
            parts.join(QStringLiteral(", ")) + QLatin1Char(')');
    const std::vector<double> out = x.notEvaluated();
    if (!out.empty()) {
        QStringList f;
        for (double v : out)
            f << shortestText(v);
        line += QStringLiteral("; not evaluated: ") + f.join(QStringLiteral(", ")) +
                QStringLiteral(" MHz");
    }
    if (r.aboveAlarm) line += QStringLiteral("; ABOVE THE ALARM LEVEL");
    return line;
}

std::vector<StationPeriodResult> recordPeriod(TestDirs& dirs, const RunSettings& s,
                                              const TableRows& table, const RunStations& stations,
                                              const DatiStazioni& data,
                                              const ReportStations& report,
                                              const ExposureSetup& setup, const QDateTime& end) {
    std::vector<StationPeriodResult> out;
    const int rowsInUse = countRowsInUse(table);
    for (int i = 0; i < kStationCount; ++i) {
        if (!stations[i].presentAndSelected() || report[i].serial.isEmpty()) continue;
        if (!TestDirs::isSafeName(report[i].serial)) continue;
        if (rowsInUse == 0 || ControllaDatiCompleti(data[i], table) != rowsInUse) continue;
        StationPeriodResult r;
        r.slot = i;
        r.serial = report[i].serial;
        r.start = report[i].firstReading.isValid() ? report[i].firstReading : end;
        r.end = end;
        if (setup.table) {
            r.exposure = evaluateExposure(*setup.table, exposureLines(s, table, data[i]));
            const auto total = r.exposure->total();
            r.aboveAlarm = total && *total * 100.0 > setup.choice.alarmPercent;
        }
        dirs.TestName = r.serial;
        const QString dir = dirs.MakeTestDirectories();
        QString note;
        if (dir.isEmpty() ||
            !append(dir + QLatin1String(kFileName), rows(s, table, data[i], r, setup), &note))
            r.csvProblem = QStringLiteral("%1 of %2 cannot be written")
                               .arg(QLatin1String(kFileName), r.serial);
        else if (!note.isEmpty())
            r.csvProblem = note;
        out.push_back(r);
    }
    return out;
}

} // namespace ResultsCsv
