#pragma once

#include "measure/GridColumn.h"
#include "measure/SweepSettings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

// A progress bar inside a wait frame (FRMAttesaCent/PBAttesaCent, FRMAttesaRateLM/
// PBAttesaRateLM). The run saves and restores the whole state around the inter-station delay.
struct WaitBar {
    bool visible = false;
    QString caption;
    int minimum = 0;
    int maximum = 0;
    int value = 0;
    // Zero colours mean the view's own colours; the delay uses its five colours (0x00BBGGRR).
    std::array<quint32, 5> colours{};
    bool customColours = false;

    bool operator==(const WaitBar&) const = default;
};

// One reading shown in the grid, for views that log (the console runner prints one line each).
struct ReadingUpdate {
    int slot = 0;
    QString serial;
    double frequency = 0.0; // MHz
    QString frequencyText;
    QString eText; // "0.0000" + mark, empty when E is not measured
    QString hText;
    int count = 1; // readings in the mean shown
};

// One Spectrum Mode acquisition that has ended, for views that log.
struct SpectrumSweepUpdate {
    int slot = 0;
    QString serial;
    int field = 0; // 0 E, 1 H
    SweepOutcome outcome = SweepOutcome::Done;
    QString startTime; // "hh:mm:ss"
};

enum class MessageIcon { Information, Exclamation };

// What a List Mode run shows. The main window implements it with its grid, frames and
// message boxes, halvex-run with console lines, tests with a recording fake. Grid columns are
// the run columns of the station grid; rows are slot + 1.
class RunView {
public:
    virtual ~RunView() = default;

    // Locks the window for a run (CMBStop shown over CMBExecute; panel, table choice, menus and
    // grid disabled) and unlocks it afterwards (transient frames, labels and bars hidden).
    virtual void lockForRun() = 0;
    virtual void unlockAfterRun() = 0;

    // Lays out the run columns after "Comment" (e.g. LastLinkTime, Battery, FieldE, FieldH);
    // restoreGrid removes them and shows the panel grid again.
    virtual void insertRunColumns(const QList<Column>& columns) = 0;
    virtual void restoreGrid() = 0;

    // The station's serial-number cell.
    virtual void setSerialCell(int slot, const QString& serial) = 0;
    // A field cell (FieldE, FieldH or Exposure) with its text colour (0x00BBGGRR).
    virtual void setFieldCell(int slot, Column column, const QString& text, quint32 colour) = 0;
    // Highlights the station's row and scrolls it into view.
    virtual void highlightStation(int slot) = 0;

    virtual void setStationWait(const WaitBar& bar) = 0; // FRMAttesaCent / PBAttesaCent
    virtual void setRateWait(const WaitBar& bar) = 0;    // FRMAttesaRateLM / PBAttesaRateLM

    // The main window's caption during a reading, and its normal caption after the run.
    virtual void setWindowCaption(const QString& caption) = 0;
    virtual void restoreWindowCaption() = 0;

    // LBPolling: caption (lines separated by CR), its two colours; hideAfterMs > 0 hides it
    // after that time (TimerPooling). unlockAfterRun hides it too.
    virtual void showPollingLabel(const QString& caption, quint32 firstColour, quint32 secondColour,
                                  int hideAfterMs) = 0;

    // A message box with the default title and an OK button.
    virtual void message(const QString& text, MessageIcon icon) = 0;

    // A new reading was shown (after the cells and captions were set).
    virtual void readingShown(const ReadingUpdate& update) { (void)update; }
    // A station's visit failed (port, serial number, firmware, battery or a command of its
    // scan); reason is the failure in the words of its event-log line, e.g. "Port 9 not
    // available". Told once per visit; the run goes on with the next station.
    virtual void visitFailed(int slot, const QString& reason) {
        (void)slot;
        (void)reason;
    }
    // A station's Spectrum Mode wait bar (PBAttesaRateSM) in the "Spectrum inhibit time"
    // column: the seconds until it may be swept again, caption hh:mm:ss, empty at zero.
    virtual void setSpectrumWait(int slot, const WaitBar& bar) {
        (void)slot;
        (void)bar;
    }
    // A Spectrum Mode acquisition has ended, whatever its outcome.
    virtual void spectrumSwept(const SpectrumSweepUpdate& update) { (void)update; }
    // The run ended with a close request pending: the program shuts down (ChiudiSoftware).
    virtual void shutdownRequested() {}
};

// A view that shows nothing: what a run talks to when no window is attached, and the base of
// views that show only part of a run.
class NullRunView : public RunView {
public:
    void lockForRun() override {}
    void unlockAfterRun() override {}
    void insertRunColumns(const QList<Column>&) override {}
    void restoreGrid() override {}
    void setSerialCell(int, const QString&) override {}
    void setFieldCell(int, Column, const QString&, quint32) override {}
    void highlightStation(int) override {}
    void setStationWait(const WaitBar&) override {}
    void setRateWait(const WaitBar&) override {}
    void setWindowCaption(const QString&) override {}
    void restoreWindowCaption() override {}
    void showPollingLabel(const QString&, quint32, quint32, int) override {}
    void message(const QString&, MessageIcon) override {}
};
