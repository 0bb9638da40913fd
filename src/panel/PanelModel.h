#pragma once

#include "panel/PanelChecks.h"
#include "panel/PanelRecord.h"

#include <QObject>
#include <QString>

#include <functional>

class AppContext;
struct SettingsRecord;

// The current panel: the record, its Undo copy, the name of its file in "Panels/" and the
// checks. Every change is written to the panel file at once, so the file always equals the
// record; a change of the current name is written to the settings record as well.
//
// Grid row r shows slot r - 1: stations are kept contiguous from slot 0.
class PanelModel : public QObject {
    Q_OBJECT
public:
    PanelModel(AppContext& ctx, SettingsRecord& settings);

    const PanelRecord& panel() const { return panel_; }
    const PanelRecord& backup() const { return backup_; }
    // The file name with extension of the current panel inside "Panels/".
    const QString& CurrentPanelName() const { return currentName_; }
    QString currentPanelPath() const;
    // The name shown in captions: the current name without extension.
    QString panelTitle() const;
    const PanelChecks& checks() const { return checks_; }
    // The program's one settings record, which a change of the current name rewrites whole:
    // whoever edits the appearance edits this one, so the next rewrite keeps the new look.
    SettingsRecord& settings() { return settings_; }
    QString statusText() const { return checks_.statusText(); }
    // Whether Undo would change anything (enables the Undo command).
    bool PanelModified() const;
    int stationCount() const { return panel_.usedStationCount(); }

    // Start-up: the panel named by the settings record, or "Untitled.EST" when that file is
    // not in "Panels/" (the settings record is then rewritten); loaded, or created with the
    // new-panel defaults, and validated.
    void startUp();
    // Opens "Panels/" + name + ".EST" (created with defaults over the present record when
    // missing) and makes it current. False, with nothing changed, for a name that is not a
    // plain file name or is longer than 196 characters.
    bool open(const QString& name);
    // Writes the panel to "Panels/" + name + ".EST" and makes that file current. False,
    // with the current name kept, when the name is refused or the file cannot be written.
    bool saveAs(const QString& name);

    // Cell edits (slot 0..15, in use). Undo's copy is not touched. False when refused.
    bool setComm(int slot, int comm); // 1..99
    bool setSerialNumber(int slot, const QString& serialNumber);
    bool setComment(int slot, const QString& comment);
    bool setEnabled(int slot, bool enabled);
    // A new station in the first free slot after the last one (the grid's empty row); the
    // grid is rebuilt, so Undo returns here. The slot, or -1 when full or comm not 1..99.
    int addStation(int comm, const QString& serialNumber = {}, const QString& comment = {},
                   bool enabled = false);
    // Removes a station; later stations move up, slot 15 is cleared; the grid is rebuilt.
    bool removeStation(int slot);
    void setFreqTableName(const QString& name);
    // Any change of the settings block (measure settings, sort order, scan browser type,
    // threshold display ...), stored at once.
    void editSettings(const std::function<void(PanelRecord&)>& change);

    // Back to the copy of the last load or rebuild; stored.
    void undo();
    // What a rebuild of the grid does to the model: texts of used slots trimmed and padded,
    // the record becomes Undo's copy, checks evaluated.
    void rebuild();
    // Recomputes the four checks (the table file may have changed under the panel) and
    // signals them.
    void evaluateChecks();
    // Writes the record to the current panel file. False when it could not be written.
    bool store();

signals:
    void checksChanged(const PanelChecks& checks);

private:
    void loadAndValidate(const QString& path);
    // The file in "Panels/" whose name matches case-insensitively; empty when none.
    QString findPanelFile(const QString& fileName) const;
    void setCurrentName(const QString& fileName);
    bool validSlot(int slot) const;
    void changed();

    AppContext& ctx_;
    SettingsRecord& settings_;
    PanelRecord panel_;
    PanelRecord backup_;
    QString currentName_ = QStringLiteral("Untitled.EST");
    PanelChecks checks_;
};
