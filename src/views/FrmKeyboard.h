#pragma once

#include "app/Keypad.h"

#include <QDialog>

class LB_OCX;
class XPButton;

// The numeric keypad window (`FrmKeyboard`): on-screen buttons and the keyboard over the
// keypad core. Its buttons take no focus, so every key press reaches the keypad first.
class FrmKeyboard : public QDialog {
    Q_OBJECT
public:
    explicit FrmKeyboard(int mode, QWidget* parent = nullptr);

    const Keypad& keypad() const { return keypad_; }
    double KeypadResult() const { return keypad_.KeypadResult(); }
    // Beside `box` (to its right, else to its left), always wholly on the box's screen.
    void placeBeside(const QWidget* box);

    LB_OCX* LBValNum() const { return display_; }
    XPButton* CMBNumeri(int d) const { return digits_[d]; }
    XPButton* CMBUnitaM(int i) const { return units_[i]; }
    XPButton* CMBVirgola() const { return point_; }
    XPButton* CMBPiuMeno() const { return sign_; }
    XPButton* CMBBack() const { return back_; }
    XPButton* CMBCanc() const { return clear_; }
    XPButton* CMBExit() const { return exit_; }

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void act(const KeypadAction& a);

    Keypad keypad_;
    LB_OCX* display_ = nullptr;
    XPButton* digits_[10] = {};
    XPButton* units_[2] = {};
    XPButton* point_ = nullptr;
    XPButton* sign_ = nullptr;
    XPButton* back_ = nullptr;
    XPButton* clear_ = nullptr;
    XPButton* exit_ = nullptr;
};
