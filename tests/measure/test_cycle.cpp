#include "CycleRig.h"
#include "measure/ConsoleRunView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

TEST(ListModeCycle, SilentStationIsSkippedAndOthersKeepTheirOwnAverages) {
    CycleRig rig;
    rig.station(1, "111AA01111", {3, 4, 0}, {1.0, 2.0});
    rig.station(2, "222BB01222", {1, 1, 1}, {1.0, 2.0}).faults()[FaultKind::Silent].enabled = true;
    rig.station(3, "333CC01333", {0, 6, 8}, {1.0, 2.0});
    rig.setTable({{1.0, 0}, {2.0, 0}});
    rig.listModeE(10);
    rig.session->run().maxPeriods = 1;

    EXPECT_EQ(rig.session->CMBExecute(), Session::ExecuteResult::ListModeRun);

    // Back to back passes over ten minutes, then one report per answering station.
    const QByteArray r1 = rig.report("111AA01111");
    const QByteArray r3 = rig.report("333CC01333");
    const int passes = rig.session->run().state().UltimiDatiCompleti[0].NumLetture;
    EXPECT_GE(passes, 3);
    EXPECT_TRUE(r1.contains("Station: 111AA01111 Reading : " + QByteArray::number(passes) +
                            " 15/01/2026 10:00:00 Rate: 10 min."));
    // Every pass read 5 V/m and 10 V/m: a failed station must not change the means.
    EXPECT_EQ(r1.count("       5.0000  ;"), 2);
    EXPECT_EQ(r3.count("      10.0000  ;"), 2);
    EXPECT_TRUE(r1.endsWith(QByteArray(ListReport::kStopLine) + "\r\n"));

    // The silent one: marked, logged with the failure marker, never in the grid or on disk.
    EXPECT_GT(std::ranges::count(rig.view.failedMarks, 1), 0);
    const QByteArray log = rig.eventLog();
    EXPECT_TRUE(log.contains("*** Reading serial number failed"));
    EXPECT_TRUE(log.contains("    Scan Start (List Mode)"));
    EXPECT_TRUE(log.contains("    Scan Close (List Mode)"));
    EXPECT_TRUE(rig.view.serials[1].isEmpty());
    EXPECT_FALSE(QDir(rig.dir.path() + "Test/222BB01222").exists());
    EXPECT_TRUE(rig.view.polling.contains("Polling Time OK"));
    EXPECT_FALSE(rig.view.locked);

    // What the window shows beside the grid.
    EXPECT_EQ(rig.session->firmwareTooltip(0), QStringLiteral("Rel. FW: 1.07"));
    EXPECT_TRUE(rig.session->firmwareTooltip(1).isEmpty());
    const QStringList list = rig.session->fieldListLines(2, false);
    ASSERT_EQ(list.size(), 3);
    EXPECT_TRUE(list[0].contains("MHz") && list[0].contains("V/m"));
    // 10 V/m at 1 MHz against the default table's 87 V/m.
    EXPECT_EQ(list[1], QStringLiteral("  1   10.0000    11.5 %"));
    EXPECT_TRUE(rig.session->fieldListLines(2, true).isEmpty()); // H is not measured
    EXPECT_FALSE(rig.ctx->flags.MeasurementRunning);
}

TEST(ListModeCycle, AverageAndRmsOfTwoPasses) {
    for (int detector : {0, 1}) {
        CycleRig rig;
        rig.oneStation();
        rig.listModeE(10, detector);
        int shown = 0;
        rig.view.onReading = [&](const ReadingUpdate&) {
            if (++shown == 1) // the probe now sees (0, 0, 1)
                rig.addProbe(1, "111AA01111", {0, 0, 1}, {1.0});
            else
                rig.session->CMBStop();
        };
        rig.session->CMBExecute();
        const QByteArray r = rig.report("111AA01111");
        const QByteArray mean = detector == 0 ? "3.0000  " : "3.6056  "; // of 5 and 1 V/m
        EXPECT_TRUE(r.contains(" Reading : 2 ")) << r.constData();
        EXPECT_TRUE(r.contains("       " + mean + ";")) << r.constData();
        EXPECT_EQ(rig.view.readings.back().eText, QString::fromLatin1(mean));
    }
}

TEST(ListModeCycle, StopMidPeriodReportsLastCompleteDataToEveryStationFile) {
    CycleRig rig;
    rig.station(1, "111AA01111", {3, 4, 0}, {1.0, 2.0});
    rig.station(2, "222BB01222", {0, 0, 2}, {1.0, 2.0});
    rig.setTable({{1.0, 0}, {2.0, 0}});
    rig.listModeE(10);
    int shown = 0;
    // Third pass, station 2 after its first row: its table is half read.
    rig.view.onReading = [&](const ReadingUpdate& u) {
        if (++shown == 11 && u.slot == 1) rig.session->CMBStop();
    };
    rig.session->CMBExecute();
    ASSERT_EQ(shown, 11);
    const QByteArray stop = QByteArray(ListReport::kStopLine) + "\r\n";
    for (const char* serial : {"111AA01111", "222BB01222"}) {
        const QByteArray r = rig.report(serial);
        EXPECT_TRUE(r.endsWith(stop)) << serial;
        EXPECT_EQ(r.count(ListReport::kStartLine), 1);
    }
    EXPECT_TRUE(rig.report("111AA01111").contains(" Reading : 3 "));
    EXPECT_TRUE(rig.report("222BB01222").contains(" Reading : 2 "));
    EXPECT_EQ(rig.report("222BB01222").count("       2.0000  ;"), 2);
    EXPECT_TRUE(rig.eventLog().contains("Scan Close (List Mode)"));
}

TEST(ListModeCycle, FirstPassLongerThanRateEndsTheRun) {
    CycleRig rig;
    for (int port : {1, 2, 3})
        rig.station(port, QByteArray::number(port).repeated(3) + "AA01111", {1, 0, 0}, {1.0})
            .faults()[FaultKind::Silent]
            .enabled = true;
    rig.setTable({{1.0, 0}});
    rig.listModeE(1);
    rig.session->CMBExecute();
    EXPECT_EQ(rig.view.messages, QStringList{"Table mode rate lower than polling time!"});
    EXPECT_FALSE(rig.session->running());
    EXPECT_FALSE(rig.ctx->flags.StopRequest);
    EXPECT_EQ(rig.eventLog().count("Scan Close (List Mode)"), 1);
}

TEST(ListModeCycle, PeriodAcrossMidnightKeepsItsLength) {
    CycleRig rig({}, QDate(2026, 1, 15), 86100.0); // 23:55
    rig.oneStation();
    rig.listModeE(10);
    rig.session->run().maxPeriods = 1;
    rig.session->CMBExecute();
    // Ten minutes after 23:55, plus at most the pass that was running.
    EXPECT_EQ(rig.clock.today(), QDate(2026, 1, 16));
    EXPECT_GE(rig.clock.secondsSinceMidnight(), 300.0);
    EXPECT_LT(rig.clock.secondsSinceMidnight(), 330.0);
    // The pass that ended the period began after midnight: the report is in that day's folder.
    const QByteArray r = rig.report("111AA01111", QDate(2026, 1, 16));
    EXPECT_TRUE(r.contains(" 15/01/2026 23:55:0")) << r.constData();
}

TEST(ListModeCycle, StopDuringStationDelayEndsTheRunAtOnce) {
    CycleRig rig("/DELAYSC=30/");
    rig.oneStation();
    rig.listModeE(10);
    double stoppedAt = -1;
    int delays = 0;
    rig.pump.onEveryPump([&] {
        if (rig.session->run().delayRunning() && stoppedAt < 0 && ++delays > 2000) {
            stoppedAt = rig.clock.secondsSinceMidnight();
            rig.session->CMBStop();
        }
    });
    rig.session->CMBExecute();
    ASSERT_GT(stoppedAt, 0);
    EXPECT_LT(rig.clock.secondsSinceMidnight() - stoppedAt, 0.5);
    EXPECT_TRUE(rig.report("111AA01111").contains(" Reading : 1 "));
    EXPECT_TRUE(rig.eventLog().contains("Scan Close (List Mode)"));
    EXPECT_EQ(rig.view.stationWait.colours, (std::array<quint32, 5>{})); // restored after
}

TEST(ListModeCycle, EveryStationGetsPreamplifierAndItsFirstRbw) {
    CycleRig rig;
    ProbeModel& a = rig.station(1, "111AA01111", {1, 0, 0}, {0.1});
    ProbeModel& b = rig.station(2, "222BB01222", {1, 0, 0}, {0.1});
    rig.setTable({{0.1, 0}}); // 300 kHz is too wide at 100 kHz: 30 kHz is sent
    rig.listModeE(10);
    rig.stopAtReading(4);
    rig.session->CMBExecute();
    for (ProbeModel* p : {&a, &b}) {
        const auto& c = p->commands();
        EXPECT_EQ(
            std::ranges::count_if(c, [](const QByteArray& b) { return b.startsWith("#00~A"); }), 2);
        EXPECT_EQ(std::ranges::count(c, QByteArray("#00(b2*")), 2);
        EXPECT_EQ(std::ranges::count(c, QByteArray("#00(b0*")), 0);
    }
    EXPECT_TRUE(rig.report("222BB01222").contains("         30 kHz;"));
}

TEST(ListModeCycle, RefusedSerialNumberNeverBecomesAFolderAndIsAskedAgain) {
    CycleRig rig;
    ProbeModel& p = rig.oneStation();
    Fault& bad = p.faults()[FaultKind::BadSerial];
    bad.enabled = true;
    bad.text = "../../x";
    rig.listModeE(10);
    rig.stopAtReading(2);
    rig.session->CMBExecute();
    EXPECT_TRUE(rig.view.serialHistory.empty());
    // Three exchanges in each of the two passes.
    EXPECT_EQ(std::ranges::count(p.commands(), QByteArray("#00?S0*")), 6);
    EXPECT_EQ(QDir(rig.dir.path() + "Test").entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"Log"});
}

TEST(ListModeCycle, RangeCheckRefusesTheStart) {
    CycleRig rig;
    rig.addStation(1);
    rig.setTable({{0.2, 0}});
    rig.settingsChange([](PanelRecord& p) {
        p.ListModeOn = 1;
        p.ListModeFields = {0, 0, 1};
    });
    QString why;
    EXPECT_EQ(rig.session->CMBExecute(&why), Session::ExecuteResult::Refused);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(rig.view.locks, 0);
    EXPECT_TRUE(rig.eventLog().isEmpty());
}

TEST(ListModeCycle, ConsoleViewPrintsReadingsBatteryAndWhichFailure) {
    CycleRig rig;
    QStringList lines;
    ConsoleRunView console(
        rig.clock, [&](const QString& l) { lines << l; },
        [&](int slot) { return rig.session->run().state().stations[slot].serial; });
    rig.session->setRunView(&console);
    rig.session->setLinkView(&console);
    rig.station(1, "111AA01111", {3, 4, 0}, {1.0});
    rig.station(2, "222BB01222", {1, 0, 0}, {1.0}).faults()[FaultKind::Silent].enabled = true;
    Fault& bad = rig.station(3, "333CC01333", {1, 0, 0}, {1.0}).faults()[FaultKind::BadSerial];
    bad.enabled = true;
    bad.text = "12345";
    rig.addStation(9); // no port 9
    rig.setTable({{1.0, 0}});
    rig.listModeE(1);
    rig.session->run().maxPeriods = 1;
    rig.session->CMBExecute();
    const QString all = lines.join('\n');
    EXPECT_TRUE(all.contains("Station 1 (111AA01111): 1 MHz  E = 5.0000  V/m  readings 1  "
                             "battery 3.91 V"))
        << all.toStdString();
    // Each failure in the words of its event-log line, once per failed visit.
    EXPECT_EQ(lines.filter("Station 2: Reading serial number failed").size(),
              lines.filter("Station 2:").size());
    EXPECT_GE(lines.filter("Station 2:").size(), 1) << all.toStdString();
    EXPECT_EQ(
        lines.filter("Station 3: Reading serial number failed (serial number refused)").size(), 1)
        << all.toStdString();
    EXPECT_EQ(lines.filter("Station 4: Port 9 not available").size(), 1) << all.toStdString();
    EXPECT_TRUE(lines.filter("Station 1").filter("failed").isEmpty());
    EXPECT_TRUE(rig.eventLog().contains("*** Port 9 not available"));
}

// The delay follows only stations that were scanned (nothing answers on port 1).
TEST(ListModeCycle, DelayShowsItsBarAndReopensThePortAfterACommError) {
    CycleRig rig("/DELAYSC=2/ /SEGNATUTTO");
    rig.addStation(1);
    // Every battery reading fails.
    rig.station(2, "222BB01222", {3, 4, 0}, {1.0}).faults()[FaultKind::BatteryZero].enabled = true;
    rig.setTable({{1.0, 0}});
    rig.listModeE(10);
    std::vector<WaitBar> delayBars;
    std::set<int> delayedAfter;
    rig.pump.onEveryPump([&] {
        if (!rig.session->run().delayRunning()) return;
        delayBars.push_back(rig.view.stationWait);
        delayedAfter.insert(rig.session->run().state().CentCorrente);
    });
    rig.stopAtReading(2);
    rig.session->CMBExecute();
    EXPECT_EQ(delayedAfter, std::set<int>{1});
    ASSERT_FALSE(delayBars.empty());
    EXPECT_TRUE(delayBars.front().customColours);
    EXPECT_EQ(delayBars.front().maximum, 2);
    EXPECT_EQ(delayBars.front().colours[0], 33023u);
    EXPECT_LE(delayBars.back().value, 1); // counted down towards the end
    // Open for pass 1, again after the delay (the battery failure closed it), and for pass 2.
    const QByteArray log = rig.eventLog();
    EXPECT_EQ(log.count("    Port 2 open"), 3) << log.constData();
    EXPECT_TRUE(log.contains("*** Port 1 not available"));
    EXPECT_TRUE(rig.report("222BB01222").contains(" Reading : 2 "));
}

TEST(ListModeCycle, HOnlyRunShowsItsValuesInTheHColumn) {
    CycleRig rig;
    rig.oneStation();
    rig.listModeE(10);
    rig.settingsChange([](PanelRecord& p) { p.ListModeFields = {0, 0, 1}; });
    bool seen = false;
    // The value goes to the column the run laid out for H (an H-only run has no E column).
    rig.view.onReading = [&](const ReadingUpdate& u) {
        seen = true;
        EXPECT_EQ(rig.view.columns, (QList<Column>{Column::LastLinkTime, Column::Battery,
                                                   Column::FieldH, Column::Exposure}));
        EXPECT_EQ(rig.view.cells[0][1], u.hText);
        EXPECT_TRUE(rig.view.cells[0][0].isEmpty());
        rig.session->CMBStop();
    };
    rig.session->CMBExecute();
    EXPECT_TRUE(seen);
}
