#pragma once

#include "app/DialogBackup.h"
#include "panel/SettingsFile.h"

#include <QString>
#include <QStringList>

#include <functional>

// "XP", "Classic".
QStringList CompilaCBXStyleButton();
// The nine label styles, "Round Flat" … "Rect Embedded".
QStringList CompilaCBXStyleLabel();
// Label styles 0, 7 and 8 paint with one colour only (the end colour).
bool labelStyleOneColour(int style);

// The two colour buttons of a group (buttons or labels) for a style: whether the end-colour
// button shows, and the captions.
struct ColourButtons {
    bool endVisible = true;
    QString startCaption;
    QString endCaption;
};
ColourButtons buttonColourButtons(int buttonStyle);
ColourButtons labelColourButtons(int labelStyle);

// r with the seven appearance fields of look.
SettingsRecord withAppearanceOf(SettingsRecord r, const SettingsRecord& look);
// Whether any of the seven appearance fields differ.
bool ControllaVarApect(const SettingsRecord& now, const SettingsRecord& atLoad);

// The appearance dialog's edits of the one settings record the program keeps. Each change is
// written to the settings file at once and announced; Cancel puts back exactly the bytes the
// file held when editing began.
class AppearanceEditor {
public:
    enum Colour { ButtonStart, ButtonEnd, LabelStart, LabelEnd };

    AppearanceEditor(SettingsRecord& settings, QString settingsFile, QString backupFile);

    // Keeps the undo copy ("Panels/TMP.TMP") and the record of this moment.
    void begin();
    const SettingsRecord& record() const { return settings_; }
    // `CMBCancel` is enabled exactly when this is true.
    bool changed() const { return ControllaVarApect(settings_, atBegin_); }

    void setButtonStyle(int style);
    void setLabelStyle(int style);
    void setColour(Colour which, quint32 value);
    quint32 colour(Colour which) const;
    // The title of the colour chooser for a colour button.
    static QString colourTitle(Colour which);
    void buttonDefaults();
    void labelDefaults();

    // OK: the settings are already saved; the undo copy goes.
    void accept();
    // Cancel: the file gets back its bytes of begin() in one write and the record its seven
    // appearance fields. When that write fails, file and record stay as last saved.
    void cancel();

    // Called after every change of the record.
    std::function<void()> onChange;

private:
    void store();

    SettingsRecord& settings_;
    QString file_;
    QString backupFile_;
    SettingsRecord atBegin_;
    DialogBackup backup_;
};
