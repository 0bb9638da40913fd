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
    // --- file and table windows (each defaults to the answer of an operator who cancels) ----
    // Yes/No with the exclamation icon; true for Yes.
    virtual bool askYesNo(const QString& /*text*/) { return false; }
    // An exclamation message under its own title.
    virtual void titledMessage(const QString& /*title*/, const QString& /*text*/) {}
    // Retry/Cancel with the exclamation icon after a file error; true for Retry.
    virtual bool retryOrCancel(const QString& /*text*/) { return false; }
    // `MsgboxNameST`: a message, an optional name box (shown when *name is not empty) and one
    // button per non-empty caption. Returns the button's index, 2 when the box was closed by
    // its frame; *name becomes the entered name for 0 and 1, empty for 2.
    virtual int MsgboxNameST(const QString& /*text*/, const QStringList& /*captions*/,
                             QString* /*name*/) {
        return 2;
    }
    // `FrmLoadSave` over the parameters; the chosen name (`DialogResult`), empty when none.
    virtual QString FrmLoadSave(const LoadSaveParams& /*params*/) { return {}; }
    // The platform's save dialog; the chosen path, empty when cancelled.
    virtual QString saveFileName(const QString& /*title*/, const QString& /*proposedPath*/,
                                 const QString& /*filter*/) {
        return {};
    }

    // "Cannot save file " with the file name, Retry and Cancel; true for Retry. Cancel (the
    // default, for prompts that cannot ask) leaves the decision to the caller.
    virtual bool retryCannotSave(const QString& fileName);
    // "Failed loading" with the file name, Retry and Cancel; true for Retry.
    virtual bool retryFailedLoading(const QString& fileName);
    // The platform's save dialog titled `title` in `folder`, proposing `name`, with `filters`
    // in order ("Bitmap (*.BMP)" ...); an empty text when the operator cancels.
    virtual QString saveSpectrumFileName(const QString& title, const QString& folder, const QString& name,
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
    bool askYesNo(const QString& text) override;
    void titledMessage(const QString& title, const QString& text) override;
    bool retryOrCancel(const QString& text) override;
    int MsgboxNameST(const QString& text, const QStringList& captions, QString* name) override;
    QString FrmLoadSave(const LoadSaveParams& params) override;
    QString saveFileName(const QString& title, const QString& proposedPath,
                         const QString& filter) override;
    // The look the file dialog and the name box take when they open.
    void setAppearance(const AppearanceValues& look) { look_ = look; }
    bool retryCannotSave(const QString& fileName) override;
    bool retryFailedLoading(const QString& fileName) override;
    QString saveSpectrumFileName(const QString& title, const QString& folder, const QString& name,
                         const QStringList& filters) override;

private:
    QWidget* parent_;
    AppearanceValues look_;
};
