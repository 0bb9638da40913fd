#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// What the caller sets before the load/save dialog opens.
struct LoadSaveParams {
    QString DialogTitle;       // "Save Panels As", "Open Panels", "Load Frequency Table" ...
    QString DialogExtension;   // "EST", "FTR"
    QString DialogFolder;      // absolute, ending in "/"
    QString DialogDefaultName; // shown in the name box when saving
    bool DialogOpenMode = false;
    bool DialogRefuseNone = false;
    bool DialogResultWithoutExtension = false;
    bool SortByDate = false;
    // The title of an entry that may not be deleted (the panel in use); empty for none.
    QString ProtectedEntry;
};

// One file the listing found: the title shown and the real file name behind it.
struct LoadSaveEntry {
    QString title;
    QString fileName;
    QDateTime modified;
};

// What the window does after an operator action, in this order: show `message` (exclamation,
// with `messageTitle` or the program's title when empty); put `nameBack` into the name box
// when set; ask `question` (Yes/No) and stay on No; then close with `result` when `close`.
struct LoadSaveOutcome {
    QString message;
    QString messageTitle;
    bool putNameBack = false;
    QString nameBack;
    QString question;
    bool close = false;
    QString result;
};

// The file dialog of panels and frequency tables without its window: lists the folder and
// answers load, save and delete by the name rules. Every name that reaches a path is checked
// here, whether typed or listed, and load and delete act on the file the listing showed.
class LoadSaveDialog {
public:
    explicit LoadSaveDialog(LoadSaveParams params);

    const LoadSaveParams& params() const { return params_; }

    // Lists DialogFolder for "*." + DialogExtension (any case), sorted by title ignoring
    // case, or newest first with SortByDate.
    void refresh();
    const QList<LoadSaveEntry>& entries() const { return entries_; }
    QStringList titles() const;

    // CmdLoad on entry `index`.
    LoadSaveOutcome load(int index) const;
    // CmdSave with the name box's text.
    LoadSaveOutcome save(const QString& typed) const;

    // Delete on entry `index`: the OK/Cancel question to ask, or, when the entry may not be
    // deleted, an empty question and the reason in *refusal.
    QString deleteQuestion(int index, QString* refusal = nullptr) const;
    // After OK: deletes the entry's file (errors ignored) and lists the folder again. True
    // when a file was removed.
    bool remove(int index);

private:
    static LoadSaveOutcome refuse(const QString& message, const QString& title = {});
    const LoadSaveEntry* entry(int index) const;
    const LoadSaveEntry* findTitle(const QString& title) const;

    LoadSaveParams params_;
    QList<LoadSaveEntry> entries_;
};
