#pragma once

#include "panel/ScanBrowser.h"
#include "panel/ScanFolderModel.h"
#include "views/widgets/Appearance.h"

#include <QDialog>

class AppContext;
class PanelModel;
class Prompts;
class XPButton;
class QComboBox;
class QListWidget;
class QTreeView;

// The scan browser (`FrmOpenScan`): the saved files below "Test/", by type. Walks the
// folders, deletes files and folder trees, and picks one file to open (`ReviewFile`).
// Nothing above "Test/" is shown, and neither "Test/", "Test/Log/" nor anything that holds
// the open event log can be deleted.
class FrmOpenScan : public QDialog {
    Q_OBJECT
public:
    // previousFile: the file opened last; the browser starts in its folder when it is there.
    FrmOpenScan(AppContext& ctx, PanelModel& panel, Prompts& prompts, const AppearanceValues& look,
                const QString& previousFile, QWidget* parent = nullptr);
    ~FrmOpenScan() override;

    // The full path of the chosen file; empty unless the browser closed by Open.
    const QString& ReviewFile() const { return reviewFile_; }
    // The folder shown, without a trailing "/"; empty when "Test/" is missing.
    QString currentFolder() const;

    QComboBox* CBXEstensioni() const { return cbxTypes_; }
    QTreeView* Dir1() const { return dir1_; }
    QListWidget* File1() const { return file1_; }
    XPButton* CMBOpen() const { return open_; }
    XPButton* CMBExit() const { return exit_; }
    const ScanFolderModel& folders() const { return model_; }

    // Shows a folder inside "Test/"; anything else shows "Test/".
    void showFolder(const QString& folder);
    // Delete on `Dir1`: asks, removes the tree, shows the parent folder.
    void deleteFolder();
    // Delete on `File1`: asks, removes the file, refreshes the list.
    void deleteFile();
    // Backspace: the parent folder, never above "Test/".
    void goUp();
    void CMBOpen_Click();
    // `CMBExit`, Esc and the close box: closes with `ReviewFile` empty.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void build();
    void chooseType(int comboIndex);
    void select(const QModelIndex& index);
    void fillFiles();
    QModelIndex refreshQuietly(const QModelIndex& index);

    AppContext& ctx_;
    PanelModel& panel_;
    Prompts& prompts_;
    DiskFileSystem fs_;
    ScanFolderModel model_;
    QString reviewFile_;

    QComboBox* cbxTypes_ = nullptr;
    QTreeView* dir1_ = nullptr;
    QListWidget* file1_ = nullptr;
    XPButton* open_ = nullptr;
    XPButton* exit_ = nullptr;
};
