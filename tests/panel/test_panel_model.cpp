#include "app/AppContext.h"
#include "freqtable/FreqTableFile.h"
#include "panel/PanelFile.h"
#include "panel/PanelModel.h"
#include "panel/PanelValidation.h"
#include "panel/SettingsFile.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {
// A program's worth of panel state on a temporary application directory.
struct Fixture {
    explicit Fixture(const QString& commandLine = QString())
        : ctx(app.path(), commandLine, clock, pump), model(ctx, settings) {}
    TempAppDir app;
    VirtualClock clock;
    VirtualPump pump{clock};
    AppContext ctx;
    SettingsRecord settings = SettingsDefaults();
    PanelModel model;

    void writeTable(const QString& name, std::initializer_list<double> freqs) {
        FreqTable t;
        int i = 0;
        for (double f : freqs)
            t.rows[size_t(i++)] = {f, 0, 0};
        ASSERT_TRUE(FreqTableFile::write(app.file("Table/" + name + ".FTR"), t));
    }
    QByteArray currentFile() const { return readAll(model.currentPanelPath()); }
    PanelRecord stored() const { return PanelFile::fromBytes(currentFile()); }
};

// A valid panel file with the given stations (port, enabled).
void writePanel(const QString& path, std::initializer_list<std::pair<int, bool>> stations,
                const QString& table = QStringLiteral("T")) {
    PanelRecord p;
    applyNewPanelDefaults(p, Switches());
    p.LayoutVersionFlag = 1;
    p.setFreqTableName(table);
    int i = 0;
    for (auto [comm, enabled] : stations) {
        p.Stations[size_t(i)].Comm = qint16(comm);
        p.Stations[size_t(i++)].Enabled = enabled ? -1 : 0;
    }
    ASSERT_TRUE(PanelFile::write(path, p));
}
} // namespace

TEST(PanelModelStartUp, MissingPanelFallsBackToUntitledAndRewritesTheSettings) {
    Fixture f;
    f.settings.CurrentPanelName = QStringLiteral("../../escape.EST");
    f.model.startUp();
    EXPECT_EQ(f.model.CurrentPanelName(), "Untitled.EST");
    EXPECT_EQ(f.model.panelTitle(), "Untitled");
    EXPECT_EQ(LoadSettings(f.app.file("Panels/Untitled.EPN")).CurrentPanelName, "Untitled.EST");
    // Created with defaults, validated, and the file equals the record.
    EXPECT_EQ(f.stored(), f.model.panel());
    EXPECT_FALSE(QFile::exists(f.app.file("../escape.EST")));
    EXPECT_FALSE(f.model.PanelModified());
    // No stations, no table: both are reported; the later text wins.
    EXPECT_TRUE(f.model.checks().NoStationSelected);
    EXPECT_TRUE(f.model.checks().FrequencyTableNotFound);
    EXPECT_EQ(f.model.statusText(), "NO STATION SELECTED");
    EXPECT_FALSE(f.model.checks().canExecute());
}

TEST(PanelModelStartUp, NamedPanelIsFoundIgnoringCaseAndUpgradedOnlyOnce) {
    Fixture f;
    PanelRecord old;
    applyNewPanelDefaults(old, Switches());
    old.SpectrumModeRateIndex = 0; // LayoutVersionFlag 0: an old panel
    ASSERT_TRUE(PanelFile::write(f.app.file("Panels/Site.EST"), old));
    f.writeTable("T", {1.0});
    f.settings.CurrentPanelName = QStringLiteral("site.est");
    f.model.startUp();
    EXPECT_EQ(f.model.CurrentPanelName(), "Site.EST");
    EXPECT_EQ(f.model.panel().SpectrumModeRateIndex, 3);
    EXPECT_TRUE(QFile::exists(f.app.file("Panels/TMP.TMP")));
    // The upgraded record is what the file holds, so the next start does not upgrade again.
    EXPECT_EQ(f.stored(), f.model.panel());
}

TEST(PanelModelChecks, SharedPortsDisabledStationsAndTables) {
    Fixture f;
    f.writeTable("T", {1.0, 10.0});
    writePanel(f.app.file("Panels/Untitled.EST"), {{3, true}, {3, true}, {3, false}});
    f.model.startUp();
    EXPECT_TRUE(f.model.checks().CommInUse);
    EXPECT_EQ(f.model.statusText(), "COMM IN USE");
    EXPECT_FALSE(f.model.checks().singleSpectrumAllowed());
    EXPECT_TRUE(slotSharesPort(f.model.panel(), 0));
    EXPECT_FALSE(slotSharesPort(f.model.panel(), 2));
    ASSERT_TRUE(f.model.setEnabled(1, false));
    EXPECT_FALSE(f.model.checks().CommInUse);
    EXPECT_TRUE(f.model.checks().canExecute());
    EXPECT_TRUE(f.model.statusText().isEmpty());

    ASSERT_TRUE(f.model.setEnabled(0, false));
    EXPECT_TRUE(f.model.checks().NoStationSelected);
    EXPECT_EQ(f.model.statusText(), "NO STATION SELECTED");

    ASSERT_TRUE(f.model.setEnabled(2, true));
    f.model.setFreqTableName("missing");
    EXPECT_TRUE(f.model.checks().FrequencyTableNotFound);
    EXPECT_EQ(f.model.statusText(), "FREQUENCY TABLE\rNOT FOUND");

    // H Mode B cannot measure at 0.2 MHz; an empty table suits nothing.
    f.writeTable("low", {0.2, 1.0});
    f.model.setFreqTableName("LOW");
    EXPECT_TRUE(f.model.checks().FrequencyTableNotSuitable); // the defaults measure H Mode B
    EXPECT_EQ(f.model.statusText(), "FREQUENCY TABLE\rNOT SUITABLE");
    f.model.editSettings([](PanelRecord& p) { p.ListModeFields = {1, 0, 0}; });
    EXPECT_FALSE(f.model.checks().FrequencyTableNotSuitable);
    f.writeTable("empty", {});
    f.model.setFreqTableName("empty");
    EXPECT_TRUE(f.model.checks().FrequencyTableNotSuitable);
    EXPECT_EQ(f.stored(), f.model.panel());

    Fixture noLimit(QStringLiteral("/NOLIMIT"));
    noLimit.writeTable("low", {0.2});
    writePanel(noLimit.app.file("Panels/Untitled.EST"), {{1, true}}, "low");
    noLimit.model.startUp();
    EXPECT_TRUE(noLimit.model.checks().allClear());
}

TEST(PanelModelEdits, EveryEditIsStoredAndUndoRestoresTheLastRebuild) {
    Fixture f;
    f.writeTable("T", {1.0});
    writePanel(f.app.file("Panels/Untitled.EST"), {{1, true}, {2, true}});
    f.model.startUp();
    const PanelRecord loaded = f.model.panel();
    const QByteArray loadedFile = f.currentFile();
    EXPECT_FALSE(f.model.PanelModified());

    EXPECT_TRUE(f.model.setComm(0, 7));
    EXPECT_TRUE(f.model.setComment(1, "roof"));
    EXPECT_TRUE(f.model.setSerialNumber(1, "SN-123456789012345678901")); // cut to 20
    EXPECT_TRUE(f.model.setEnabled(1, false));
    f.model.editSettings([](PanelRecord& p) { p.ListModeRate = 30; });
    EXPECT_FALSE(f.model.setComm(0, 0));   // would empty the slot
    EXPECT_FALSE(f.model.setComm(0, 100)); // not offered
    EXPECT_FALSE(f.model.setComm(5, 4));   // no station there
    EXPECT_EQ(f.stored(), f.model.panel());
    EXPECT_EQ(f.model.panel().Stations[1].serialNumberText(), "SN-12345678901234567");
    EXPECT_TRUE(f.model.PanelModified());

    f.model.undo();
    EXPECT_EQ(f.model.panel(), loaded);
    EXPECT_EQ(f.currentFile(), loadedFile);
    EXPECT_FALSE(f.model.PanelModified());

    // Texts alone do not count as a change Undo is offered for.
    f.model.setComment(0, "only text");
    EXPECT_FALSE(f.model.PanelModified());
    // A table name counts only when the backup's table exists.
    f.model.setFreqTableName("other");
    EXPECT_TRUE(f.model.PanelModified());
}

TEST(PanelModelEdits, AddAndRemoveKeepStationsContiguous) {
    Fixture f;
    writePanel(f.app.file("Panels/Untitled.EST"), {{1, true}, {2, true}, {3, true}, {4, true}});
    f.model.startUp();
    EXPECT_EQ(f.model.addStation(5, "S5", "fifth", true), 4);
    EXPECT_EQ(f.model.stationCount(), 5);
    EXPECT_FALSE(f.model.PanelModified()); // the grid was rebuilt: Undo starts here
    ASSERT_TRUE(f.model.removeStation(1));
    const PanelRecord& p = f.model.panel();
    size_t s = 0;
    for (int comm : {1, 3, 4, 5})
        EXPECT_EQ(p.Stations[s++].Comm, comm);
    EXPECT_EQ(p.Stations[3].commentText(), "fifth");
    EXPECT_FALSE(p.Stations[4].inUse());
    EXPECT_EQ(p.Stations[15].SerialNumber, QByteArray(20, '\0'));
    EXPECT_EQ(f.stored(), p);
    EXPECT_FALSE(f.model.removeStation(4));

    for (int i = 0; i < 12; ++i)
        EXPECT_GE(f.model.addStation(10 + i), 0);
    EXPECT_EQ(f.model.stationCount(), 16);
    EXPECT_EQ(f.model.addStation(40), -1);
    EXPECT_EQ(f.model.addStation(0), -1);
}

TEST(PanelModelFiles, OpenAndSaveAsChangeTheCurrentNameAndTheSettings) {
    Fixture f;
    writePanel(f.app.file("Panels/Untitled.EST"), {{1, true}});
    f.model.startUp();
    ASSERT_TRUE(f.model.saveAs("Site B"));
    EXPECT_EQ(f.model.CurrentPanelName(), "Site B.EST");
    EXPECT_EQ(LoadSettings(settingsPath(f.ctx)).CurrentPanelName, "Site B.EST");
    f.model.setComm(0, 9);
    EXPECT_EQ(PanelFile::fromBytes(readAll(f.app.file("Panels/Site B.EST"))).Stations[0].Comm, 9);
    EXPECT_EQ(PanelFile::fromBytes(readAll(f.app.file("Panels/Untitled.EST"))).Stations[0].Comm, 1);

    ASSERT_TRUE(f.model.open("untitled"));
    EXPECT_EQ(f.model.CurrentPanelName(), "Untitled.EST");
    EXPECT_EQ(f.model.panel().Stations[0].Comm, 1);
    EXPECT_EQ(f.settings.CurrentPanelName, "Untitled.EST");

    // A new name: created with defaults over the stations in memory.
    ASSERT_TRUE(f.model.open("Fresh"));
    EXPECT_TRUE(QFile::exists(f.app.file("Panels/Fresh.EST")));
    EXPECT_EQ(f.model.panel().Stations[0].Comm, 1);

    // A name with single-byte accents is kept as typed, also by the settings record.
    ASSERT_TRUE(f.model.saveAs(QStringLiteral("Caf\u00e9")));
    EXPECT_EQ(LoadSettings(settingsPath(f.ctx)).CurrentPanelName, QStringLiteral("Caf\u00e9.EST"));
    ASSERT_TRUE(f.model.open("Fresh"));

    // Names that are not plain file names are refused and change nothing; so are names the
    // single-byte settings record could not give back (the panel would be lost at next start).
    const QString tooLong(197, QLatin1Char('n'));
    for (const QString& name :
         {QStringLiteral("../x"), QStringLiteral("a/b"), QString(), QStringLiteral(".."), tooLong,
          QStringLiteral(" pad"), QStringLiteral("\u03a9mega"), QStringLiteral("Site \u2116 2")}) {
        EXPECT_FALSE(f.model.open(name)) << name.toStdString();
        EXPECT_FALSE(f.model.saveAs(name)) << name.toStdString();
    }
    EXPECT_EQ(f.model.CurrentPanelName(), "Fresh.EST");
    EXPECT_FALSE(QFile::exists(f.app.file("x.EST")));
}
