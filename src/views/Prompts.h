#pragma once

#include "measure/RunView.h"
#include "views/widgets/Appearance.h"

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;
struct LoadSaveParams;

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
    // --- file and table windows -----------------------------------------------------------
    // Yes/No with the exclamation icon; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // An exclamation message under its own title.
    virtual void titledMessage(const QString& title, const QString& text) = 0;
    // Retry/Cancel with the exclamation icon after a file error; true for Retry.
    virtual bool retryOrCancel(const QString& text) = 0;
    // `MsgboxNameST`: a message, an optional name box (shown when *name is not empty) and one
    // button per non-empty caption. Returns the button's index, 2 when the box was closed by
    // its frame; *name becomes the entered name for 0 and 1, empty for 2.
    virtual int MsgboxNameST(const QString& text, const QStringList& captions, QString* name) = 0;
    // `FrmLoadSave` over the parameters; the chosen name (`DialogResult`), empty when none.
    virtual QString FrmLoadSave(const LoadSaveParams& params) = 0;
    // The platform's save dialog; the chosen path, empty when cancelled.
    virtual QString saveFileName(const QString& title, const QString& proposedPath,
                                 const QString& filter) = 0;
};

// The operator answers through Qt message boxes over a window.
class MessageBoxPrompts : public Prompts {
public:
    explicit MessageBoxPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    bool question(const QString& text) override;
    void message(const QString& text, MessageIcon icon) override;
    std::optional<quint32> chooseColour(const QString& title, quint32 current) override;
    double keypad(int mode, QWidget* box) override;
    bool askYesNo(const QString& text) override;
    void titledMessage(const QString& title, const QString& text) override;
    bool retryOrCancel(const QString& text) override;
    int MsgboxNameST(const QString& text, const QStringList& captions, QString* name) override;
    QString FrmLoadSave(const LoadSaveParams& params) override;
    QString saveFileName(const QString& title, const QString& proposedPath,
                         const QString& filter) override;
    // The look the file dialog and the name box take when they open.
    void setAppearance(const AppearanceValues& look) { look_ = look; }

private:
    QWidget* parent_;
    AppearanceValues look_;
};
