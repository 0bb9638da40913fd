#pragma once

#include "app/AppContext.h"
#include "freqtable/FreqTableFile.h"
#include "link/LinkView.h"
#include "measure/RunView.h"
#include "measure/Session.h"
#include "panel/SettingsFile.h"
#include "sim/SimChannel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <functional>
#include <memory>
#include <vector>

// Records what a run shows, as the main window would see it.
class RecordingView : public RunView, public LinkView {
public:
    void lockForRun() override {
        locked = true;
        ++locks;
    }
    void unlockAfterRun() override { locked = false; }
    void insertRunColumns(const QList<Column>& c) override {
        columns = c;
        gridRestored = false;
    }
    void restoreGrid() override { gridRestored = true; }
    void setSerialCell(int slot, const QString& serial) override {
        serials[slot] = serial;
        if (!serial.isEmpty()) serialHistory.push_back({slot, serial});
    }
    void setFieldCell(int slot, Column column, const QString& text, quint32 colour) override {
        if (column == Column::Exposure) {
            exposureCells[slot] = text;
            exposureColours[slot] = colour;
            return;
        }
        cells[slot][column == Column::FieldH ? 1 : 0] = text;
    }
    void highlightStation(int) override {}
    void setStationWait(const WaitBar& bar) override { stationWait = bar; }
    void setRateWait(const WaitBar&) override {}
    void setWindowCaption(const QString&) override {}
    void restoreWindowCaption() override {}
    void showPollingLabel(const QString& c, quint32, quint32, int) override {
        polling.push_back(c);
    }
    void message(const QString& text, MessageIcon) override { messages.push_back(text); }
    void readingShown(const ReadingUpdate& u) override {
        readings.push_back(u);
        if (onReading) onReading(u);
    }

    void markStationLink(int slot, bool failed, quint32) override {
        if (failed) failedMarks.push_back(slot);
    }
    void showBatteryLevel(int, const BatteryDisplay&) override {}
    void stampLinkTime(int, int, const QString&) override {}

    bool locked = false;
    int locks = 0;
    QList<Column> columns; // as the run laid them out
    bool gridRestored = false;
    std::array<QString, 16> serials;
    std::vector<std::pair<int, QString>> serialHistory;
    std::array<std::array<QString, 2>, 16> cells;
    std::array<QString, 16> exposureCells;
    std::array<quint32, 16> exposureColours{};
    WaitBar stationWait;
    QStringList polling, messages;
    std::vector<ReadingUpdate> readings;
    std::function<void(const ReadingUpdate&)> onReading;
    std::vector<int> failedMarks;
};

// A whole program on a virtual clock: application directory, simulated stations, panel and
// table, and the session that runs them.
struct CycleRig {
    explicit CycleRig(const QString& commandLine = {}, QDate date = QDate(2026, 1, 15),
                      double seconds = 36000.0, double step = 0.002)
        : clock(date, seconds), pump(clock, step) {
        ctx = std::make_unique<AppContext>(dir.path(), commandLine, clock, pump);
        channel = std::make_unique<SimChannel>(clock);
        settings = SettingsDefaults();
        session = std::make_unique<Session>(*ctx, settings, *channel);
        session->setRunView(&view);
        session->setLinkView(&view);
        session->panelModel().startUp();
    }

    // A station of the network; readings of E on the three axes at every frequency.
    ProbeModel& addProbe(int port, const QByteArray& serial, std::array<double, 3> e,
                         std::vector<double> freqs) {
        StationConfig c;
        c.port = port;
        c.serial = serial;
        c.noiseE = c.noiseH = c.noiseJitter = 0;
        for (double f : freqs) {
            Emitter& em = c.emitters.emplace_back();
            em.frequencyMHz = f;
            em.e = e;
        }
        return channel->network().add(c);
    }

    void addStation(int port) { session->panelModel().addStation(port, {}, {}, true); }
    // A probe and the panel's next station on its port.
    ProbeModel& station(int port, const QByteArray& serial, std::array<double, 3> e,
                        std::vector<double> freqs) {
        ProbeModel& p = addProbe(port, serial, e, std::move(freqs));
        addStation(port);
        return p;
    }

    // One station on port 1 reading E = (3, 4, 0) V/m at 1 MHz, the table's only row.
    ProbeModel& oneStation() {
        ProbeModel& p = station(1, "111AA01111", {3, 4, 0}, {1.0});
        setTable({{1.0, 0}});
        return p;
    }

    void setTable(std::initializer_list<std::pair<double, int>> rows) {
        FreqTable t;
        int i = 0;
        for (auto [f, rbw] : rows)
            t.rows[i++] = {f, qint16(rbw), 0};
        FreqTableFile::write(dir.path() + "Table/T1.FTR", t);
        session->panelModel().setFreqTableName("T1");
    }

    void settingsChange(const std::function<void(PanelRecord&)>& change) {
        session->panelModel().editSettings(change);
    }
    // List Mode alone, E only, every `rate` minutes; the report separated by ";".
    void listModeE(int rate, int detector = 0) {
        settingsChange([&](PanelRecord& p) {
            p.ListModeOn = 1;
            p.SpectrumModeOn = 0;
            p.ListModeFields = {1, 0, 0};
            p.ListModeRate = qint16(rate);
            p.DetectorIndex = qint16(detector);
            p.SeparatorIndex = 2;
        });
    }
    // The run stops when the view has been shown `n` readings.
    void stopAtReading(int n) {
        view.onReading = [this, n, shown = 0](const ReadingUpdate&) mutable {
            if (++shown == n) session->CMBStop();
        };
    }

    QByteArray report(const QString& serial, QDate date = QDate(2026, 1, 15)) {
        return readAll(dir.path() + "Test/" + serial + "/" + date.toString("yyyy/MM/dd") +
                       "/Table_Mode.TXT");
    }
    QByteArray eventLog(QDate date = QDate(2026, 1, 15)) {
        return readAll(dir.path() + "Test/Log/" + date.toString("yyyy/MM/dd") + ".TXT");
    }

    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<SimChannel> channel;
    SettingsRecord settings;
    std::unique_ptr<Session> session;
    RecordingView view;
};
