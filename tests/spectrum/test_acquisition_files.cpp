// The acquisition writing through the program's real spectrum files, on the simulated probe.
#include "AcquisitionRig.h"

#include "spectrum/SpcFile.h"
#include "spectrum/SpectrumFiles.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
struct FilesRig {
    explicit FilesRig(QDate date, double seconds)
        : clock(date, seconds), pump(clock, 0.002), ctx(dir.path(), {}, clock, pump),
          channel(clock), link(ctx, channel, &marks), files(dir.path(), clock),
          acquisition(link, files, unitAcquisitionTexts(0)) {
        pump.setInputDue([this] { return channel.secondsToNextInput(); });
        channel.network().add(quietProbe());
        link.OpenStationPort(1);
        record.stationId = QStringLiteral("241AB01001");
    }
    QString dayFolder(QDate d) const {
        return dir.path() + "Test/241AB01001/" + d.toString("yyyy/MM/dd") + "/";
    }

    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump;
    AppContext ctx;
    SimChannel channel;
    MarkRecorder marks;
    ProbeLink link;
    SpectrumFiles files;
    SweepAcquisition acquisition;
    SweepSettings settings;
    AcquisitionRecord record;
};
} // namespace

TEST(AcquisitionFiles, A4001PointSweepAcrossMidnightLandsWholeInTheStartDatesFolder) {
    FilesRig rig(QDate(2026, 3, 31), 86398.0); // the port settles, the sweep starts 23:59:59
    rig.settings.setRange(0.1f, 10.1f);
    rig.settings.RbwIndex = 3;
    ASSERT_EQ(rig.acquisition.runAcquisition(0, rig.settings, rig.record, {}), SweepOutcome::Done);
    ASSERT_EQ(rig.clock.today(), QDate(2026, 4, 1));
    EXPECT_FALSE(QFileInfo::exists(rig.dayFolder(QDate(2026, 4, 1))));

    const QString base = rig.dayFolder(QDate(2026, 3, 31)) + "SM_E_23_59_59";
    const QByteArray spc = readAll(base + ".SPC");
    ASSERT_EQ(spc.size(), 64446);
    SpectrumData loaded;
    SweepSettings loadedSettings;
    SpcHeader header;
    ASSERT_EQ(CaricaStrSpettro(base + ".SPC", header, loadedSettings, loaded), SpcLoad::Loaded);
    EXPECT_EQ(loaded.NPoints, 4001);
    const SpectrumData& live = rig.acquisition.data();
    EXPECT_GT(live.LatchedPeakLevel, 10.0f); // the 1 MHz carrier, not an empty spectrum
    for (int trace = 0; trace < SpectrumTraces; ++trace)
        EXPECT_EQ(loaded.Level[trace], live.Level[trace]) << trace;

    // Two column titles and one line per point, each 60 characters + CR LF.
    int columnLines = 0;
    for (const QByteArray& l : readAll(base + ".TXT").split('\n'))
        columnLines += l.size() == 61 && l.endsWith('\r');
    EXPECT_EQ(columnLines, 2 + 4001);
    EXPECT_TRUE(rig.ctx.eventLog.lastFailure().isEmpty());
}
