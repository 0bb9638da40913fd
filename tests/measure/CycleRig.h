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
    void insertRunColumns(const QList<Column>& c) override { columns = c; }
    void restoreGrid() override { columns.clear(); }
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
        const int i = column == Column::FieldH ? 1 : 0;
        cells[slot][i] = text;
        cellColours[slot][i] = colour;
    }
    void highlightStation(int slot) override { highlighted = slot; }
    void setStationWait(const WaitBar& bar) override { stationWait = bar; }
    void setRateWait(const WaitBar& bar) override { rateWait = bar; }
    void setWindowCaption(const QString& c) override { caption = c; }
    void restoreWindowCaption() override { caption.clear(); }
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
    void showBatteryLevel(int slot, const BatteryDisplay& d) override { battery[slot] = d.caption; }
    void stampLinkTime(int, int, const QString&) override {}

    bool locked = false;
    int locks = 0;
    QList<Column> columns;
    std::array<QString, 16> serials;
    std::vector<std::pair<int, QString>> serialHistory;
    std::array<std::array<QString, 2>, 16> cells;
    std::array<std::array<quint32, 2>, 16> cellColours{};
    std::array<QString, 16> exposureCells;
    std::array<quint32, 16> exposureColours{};
    int highlighted = -1;
    WaitBar stationWait, rateWait;
    QString caption;
    QStringList polling, messages;
    std::vector<ReadingUpdate> readings;
    std::function<void(const ReadingUpdate&)> onReading;
    std::vector<int> failedMarks;
    std::array<QString, 16> battery;
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
        c.noiseE = 0;
        c.noiseH = 0;
        c.noiseJitter = 0;
        for (double f : freqs) {
            Emitter em;
            em.frequencyMHz = f;
            em.e = e;
            c.emitters.push_back(em);
        }
        return channel->network().add(c);
    }

    void addStation(int port) { session->panelModel().addStation(port, {}, {}, true); }

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
