#include "panel/AppearanceSettings.h"

#include <algorithm>

QStringList CompilaCBXStyleButton() {
    return {QStringLiteral("XP"), QStringLiteral("Classic")};
}

QStringList CompilaCBXStyleLabel() {
    return {QStringLiteral("Round Flat"),
            QStringLiteral("Round Shaded"),
            QStringLiteral("Rect Raised Shaded"),
            QStringLiteral("Rect Embedded Shaded"),
            QStringLiteral("Round Concentric"),
            QStringLiteral("Rect Raised Concentric"),
            QStringLiteral("Rect Embedded Concentric"),
            QStringLiteral("Rect Raised"),
            QStringLiteral("Rect Embedded")};
}

bool labelStyleOneColour(int style) {
    return style == 0 || style == 7 || style == 8;
}

namespace {
ColourButtons colourButtons(bool twoColours) {
    if (!twoColours) return {false, QStringLiteral("Color"), QStringLiteral("End Color")};
    return {true, QStringLiteral("Start Color"), QStringLiteral("End Color")};
}
} // namespace

ColourButtons buttonColourButtons(int buttonStyle) {
    return colourButtons(buttonStyle != 1);
}

ColourButtons labelColourButtons(int labelStyle) {
    return colourButtons(!labelStyleOneColour(labelStyle));
}

SettingsRecord withAppearanceOf(SettingsRecord r, const SettingsRecord& look) {
    r.ButtonColorStart = look.ButtonColorStart;
    r.ButtonColorEnd = look.ButtonColorEnd;
    r.ButtonStyle = look.ButtonStyle;
    r.LabelColorStart = look.LabelColorStart;
    r.LabelColorEnd = look.LabelColorEnd;
    r.LabelStyle = look.LabelStyle;
    r.LabelScheme = look.LabelScheme;
    return r;
}

bool ControllaVarApect(const SettingsRecord& a, const SettingsRecord& b) {
    return a.ButtonColorStart != b.ButtonColorStart || a.ButtonColorEnd != b.ButtonColorEnd ||
           a.ButtonStyle != b.ButtonStyle || a.LabelColorStart != b.LabelColorStart ||
           a.LabelColorEnd != b.LabelColorEnd || a.LabelStyle != b.LabelStyle ||
           a.LabelScheme != b.LabelScheme;
}

AppearanceEditor::AppearanceEditor(SettingsRecord& settings, QString settingsFile,
                                   QString backupFile)
    : settings_(settings), file_(std::move(settingsFile)), backupFile_(std::move(backupFile)),
      atBegin_(settings) {}

void AppearanceEditor::begin() {
    backup_.begin(file_, backupFile_);
    atBegin_ = settings_;
}

void AppearanceEditor::store() {
    SaveSettings(file_, settings_); // a failed write keeps the look on screen only
    if (onChange) onChange();
}

void AppearanceEditor::setButtonStyle(int style) {
    settings_.ButtonStyle = qint16(std::clamp(style, 0, 1));
    store();
}

void AppearanceEditor::setLabelStyle(int style) {
    settings_.LabelStyle = qint16(std::clamp(style, 0, 8));
    store();
}

quint32 AppearanceEditor::colour(Colour which) const {
    switch (which) {
    case ButtonStart:
        return quint32(settings_.ButtonColorStart);
    case ButtonEnd:
        return quint32(settings_.ButtonColorEnd);
    case LabelStart:
        return quint32(settings_.LabelColorStart);
    case LabelEnd:
        return quint32(settings_.LabelColorEnd);
    }
    return 0;
}

void AppearanceEditor::setColour(Colour which, quint32 value) {
    const qint32 v = qint32(value);
    switch (which) {
    case ButtonStart:
        settings_.ButtonColorStart = v;
        break;
    case ButtonEnd:
        settings_.ButtonColorEnd = v;
        break;
    case LabelStart:
        settings_.LabelColorStart = v;
        break;
    case LabelEnd:
        settings_.LabelColorEnd = v;
        break;
    }
    store();
}

QString AppearanceEditor::colourTitle(Colour which) {
    switch (which) {
    case ButtonStart:
        return QStringLiteral("Start Color Button");
    case ButtonEnd:
        return QStringLiteral("End Color Button");
    case LabelStart:
        return QStringLiteral("Start Color Label");
    case LabelEnd:
        return QStringLiteral("End Color Label");
    }
    return {};
}

void AppearanceEditor::buttonDefaults() {
    const SettingsRecord d = SettingsDefaults();
    settings_.ButtonColorStart = d.ButtonColorStart;
    settings_.ButtonColorEnd = d.ButtonColorEnd;
    settings_.ButtonStyle = d.ButtonStyle;
    store();
}

void AppearanceEditor::labelDefaults() {
    const SettingsRecord d = SettingsDefaults();
    settings_.LabelColorStart = d.LabelColorStart;
    settings_.LabelColorEnd = d.LabelColorEnd;
    settings_.LabelStyle = d.LabelStyle;
    settings_.LabelScheme = d.LabelScheme;
    store();
}

void AppearanceEditor::accept() {
    backup_.discard();
}

void AppearanceEditor::cancel() {
    const bool wasChanged = changed();
    if (backup_.active()) {
        // A failed write leaves the settings as last saved, on screen as in the file.
        if (!backup_.restore()) {
            backup_.discard();
            return;
        }
    } else if (wasChanged) {
        // The file could not be read at the start: write back what the program showed then.
        SaveSettings(file_, withAppearanceOf(settings_, atBegin_));
    }
    settings_ = withAppearanceOf(settings_, atBegin_);
    if (wasChanged && onChange) onChange();
}
