#pragma once

#include "panel/LoadSaveDialog.h"

#include <QDialog>

class Prompts;
class QLineEdit;
class QListWidget;
class XPButton;

// The panel and table file dialog (`FrmLoadSave`): the folder's files in `FileList`; in save
// mode the name box `TBSave` and `CmdSave`, in open mode `CmdLoad`; `CMBExit`. The rules are
// the core's (LoadSaveDialog); the window shows its answers.
class FrmLoadSave : public QDialog {
    Q_OBJECT
public:
    FrmLoadSave(const LoadSaveParams& params, Prompts& prompts, QWidget* parent = nullptr);

    // The chosen name; empty when the dialog closed without a choice.
    const QString& DialogResult() const { return result_; }

    QListWidget* FileList() const { return list_; }
    QLineEdit* TBSave() const { return name_; }
    XPButton* CmdSave() const { return save_; }
    XPButton* CmdLoad() const { return load_; }
    XPButton* CMBExit() const { return exit_; }

    void CmdLoad_Click();
    void CmdSave_Click();
    // Delete on the list: asks, deletes the listed file, fills the list again.
    void deleteSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void fillList();
    void act(const LoadSaveOutcome& outcome);

    LoadSaveDialog core_;
    Prompts& prompts_;
    QString result_;
    QListWidget* list_;
    QLineEdit* name_;
    XPButton* save_;
    XPButton* load_;
    XPButton* exit_;
};
