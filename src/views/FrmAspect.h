#pragma once

#include "panel/AppearanceSettings.h"
#include "views/widgets/Appearance.h"

#include <QDialog>

class Prompts;
class LB_OCX;
class XPButton;
class QComboBox;

// The appearance dialog (`FrmAspect`): button and label styles and colours with live
// previews. Every change is saved at once and shown on the dialog and every open window;
// Cancel, Esc and the close box put back the settings of the moment it opened, in the file
// byte for byte and on screen.
class FrmAspect : public QDialog {
    Q_OBJECT
public:
    FrmAspect(SettingsRecord& settings, const QString& settingsFile, const QString& backupFile,
              Prompts& prompts, QWidget* parent = nullptr);
    ~FrmAspect() override;

    XPButton* CMBExampleButton() const { return exampleButton_; }
    LB_OCX* LBExampleLabel() const { return exampleLabel_; }
    QComboBox* CBXStyleButton() const { return cbxButton_; }
    QComboBox* CBXStyleLabel() const { return cbxLabel_; }
    XPButton* CMBStartEndColorButton(int i) const { return colourButton_[i]; }
    XPButton* CMBStartEndColorLabel(int i) const { return colourLabel_[i]; }
    XPButton* CMBDefaultButton() const { return defaultButton_; }
    XPButton* CMBDefaultLabel() const { return defaultLabel_; }
    XPButton* CMBOK() const { return ok_; }
    XPButton* CMBCancel() const { return cancel_; }

    void accept() override;
    // The Cancel route, also for Esc and the close box.
    void reject() override;

signals:
    // The appearance after a change, for the windows that keep their own copy of it.
    void appearanceChanged(const AppearanceValues& look);

private:
    void build();
    void chooseColour(AppearanceEditor::Colour which);
    // Previews, style lists, colour buttons and `ControllaVarApect`, from the record.
    void showRecord();
    // The record's look on this dialog and every other open window.
    void applyEverywhere();

    AppearanceEditor editor_;
    Prompts& prompts_;
    XPButton* exampleButton_ = nullptr;
    LB_OCX* exampleLabel_ = nullptr;
    QComboBox* cbxButton_ = nullptr;
    QComboBox* cbxLabel_ = nullptr;
    XPButton* colourButton_[2] = {};
    XPButton* colourLabel_[2] = {};
    XPButton* defaultButton_ = nullptr;
    XPButton* defaultLabel_ = nullptr;
    XPButton* ok_ = nullptr;
    XPButton* cancel_ = nullptr;
};
