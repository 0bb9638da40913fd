#pragma once

#include "measure/RunView.h"

#include <QString>

#include <optional>

class QWidget;

// Every question and message that reaches the operator goes through here, so that a window
// never opens a modal box of its own and tests can answer in the operator's place.
class Prompts {
public:
    virtual ~Prompts() = default;

    // OK/Cancel with the exclamation icon; true for OK.
    virtual bool question(const QString& text) = 0;
    // A message box with the program's title and an OK button.
    virtual void message(const QString& text, MessageIcon icon) = 0;
    void information(const QString& text) { message(text, MessageIcon::Information); }

    // A colour from the colour dialog titled `title`, preset to `current` (0x00BBGGRR); none
    // when the operator cancels (the default, for prompts that offer no colours).
    virtual std::optional<quint32> chooseColour(const QString& title, quint32 current);
    // A number from the numeric keypad opened in `mode` beside `box`, in the box's unit;
    // -1.0 when the operator cancels (the default, for prompts that offer no keypad).
    virtual double keypad(int mode, QWidget* box);
};

// The operator answers through Qt message boxes over a window.
class MessageBoxPrompts : public Prompts {
public:
    explicit MessageBoxPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    bool question(const QString& text) override;
    void message(const QString& text, MessageIcon icon) override;
    std::optional<quint32> chooseColour(const QString& title, quint32 current) override;
    double keypad(int mode, QWidget* box) override;

private:
    QWidget* parent_;
};
