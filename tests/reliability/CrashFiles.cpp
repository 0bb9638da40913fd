#include "reliability/CrashFiles.h"

#include "app/Switches.h"
#include "freqtable/FreqTableFile.h"
#include "panel/PanelFile.h"
#include "panel/PanelValidation.h"
#include "panel/SettingsFile.h"

namespace CrashFiles {

namespace {
PanelRecord panel(int version) {
    PanelRecord p;
    applyNewPanelDefaults(p, Switches());
    p.LayoutVersionFlag = 1;
    if (version == 1) {
        for (int i = 0; i < 16; ++i) {
            p.Stations[size_t(i)].Comm = qint16(i + 1);
            p.Stations[size_t(i)].Enabled = -1;
        }
        p.ListModeRate = 10;
        p.ReservedTexts.setText(0, QByteArray(60000, 'x'));
    }
    return p;
}

SettingsRecord settings(int version) {
    SettingsRecord r = SettingsDefaults();
    r.CurrentPanelName = version == 0 ? QStringLiteral("Crash.EST") : QStringLiteral("Other.EST");
    r.LabelStyle = qint16(version == 0 ? 1 : 7);
    return r;
}

FreqTable table(int version) {
    FreqTable t;
    const int rows = version == 0 ? 3 : 100;
    for (int i = 0; i < rows; ++i)
        t.rows[size_t(i)] = {0.1 + 0.25 * i, qint16(i % 6), 0};
    return t;
}
} // namespace

QByteArray image(int file, int version) {
    return file == 0   ? PanelFile::toBytes(panel(version))
           : file == 1 ? settingsToBytes(settings(version))
                       : table(version).toBytes();
}

bool write(const QString& appDir, int file, int version) {
    const QString path = appDir + QLatin1String(kFiles[file]);
    if (file == 0) return PanelFile::write(path, panel(version));
    if (file == 1) return SaveSettings(path, settings(version));
    return FreqTableFile::write(path, table(version));
}

bool writeAll(const QString& appDir, int version) {
    return write(appDir, 0, version) && write(appDir, 1, version) && write(appDir, 2, version);
}

Report::Report(const QString& appDir) : clock_(kDay, 43200.0), dirs_(appDir, clock_) {
    settings_.listModeRate = 10;
    settings_.listModeFields = {true, false, true};
    const FieldSelection f = FieldSelection::from(settings_);
    for (int i = 0; i < 100; ++i) {
        table_[size_t(i)] = {0.1 + 0.25 * i, i % 6};
        freq_.TrovaCMaxIntDec(table_[size_t(i)].frequency, i > 0);
        LetturaFreq& r = data_[0].rows[size_t(i)];
        for (int c = 0; c < 6; ++c)
            storeComponent(r, f, c, 0.5f + float(c + i) / 7.0f);
        updateAccumulators(r, f, false, false);
        r.DatoValido = true;
    }
    data_[0].NumLetture = 3;
    dirs_.TestName = QLatin1String(kSerial);
    stations_[0] = {1, true};
    report_[0] = {kSerial, "1.07", true, QDateTime(kDay, QTime(12, 0, 0))};
}

bool Report::appendBlock() {
    QStringList unwritten;
    ListReport::StampaReportListMode(dirs_, settings_, table_, freq_, stations_, data_, report_,
                                     false, &unwritten);
    return unwritten.isEmpty();
}

QString Report::path() const {
    return dirs_.dayDir() + QLatin1String(ListReport::kFileName);
}

QList<QByteArray> lines(const QByteArray& text) {
    QList<QByteArray> out = text.split('\n');
    if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    for (QByteArray& l : out)
        if (l.endsWith('\r')) l.chop(1);
    return out;
}

} // namespace CrashFiles
