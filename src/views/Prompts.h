#pragma once

#include "measure/RunView.h"

#include <QString>
#include <QStringList>

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

    // "Cannot save file " with the file name, Retry and Cancel; true for Retry. Cancel (the
    // default, for prompts that cannot ask) leaves the decision to the caller.
    virtual bool retryCannotSave(const QString& fileName);
    // "Failed loading" with the file name, Retry and Cancel; true for Retry.
    virtual bool retryFailedLoading(const QString& fileName);
    // The platform's save dialog titled `title` in `folder`, proposing `name`, with `filters`
    // in order ("Bitmap (*.BMP)" ...); an empty text when the operator cancels.
    virtual QString saveFileName(const QString& title, const QString& folder, const QString& name,
                                 const QStringList& filters);
};

// The operator answers through Qt message boxes over a window.
class MessageBoxPrompts : public Prompts {
public:
    explicit MessageBoxPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    bool question(const QString& text) override;
    void message(const QString& text, MessageIcon icon) override;
    std::optional<quint32> chooseColour(const QString& title, quint32 current) override;
    double keypad(int mode, QWidget* box) override;
    bool retryCannotSave(const QString& fileName) override;
    bool retryFailedLoading(const QString& fileName) override;
    QString saveFileName(const QString& title, const QString& folder, const QString& name,
                         const QStringList& filters) override;

private:
    QWidget* parent_;
};
