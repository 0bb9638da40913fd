#pragma once

#include "panel/ScanBrowser.h"

#include <QAbstractItemModel>

#include <memory>
#include <vector>

// The folders of "Test/" as a tree with one top item, "Test". A folder is read when it is
// expanded (or its files are asked for), once; that one read gives both its sub-folders and
// its files. A missing "Test/" gives an empty model and nothing is created.
class ScanFolderModel : public QAbstractItemModel {
    Q_OBJECT
public:
    ScanFolderModel(ScanFileSystem& fs, QString appDir, QObject* parent = nullptr);
    ~ScanFolderModel() override;

    // The "Test" item; invalid when "Test/" does not exist.
    QModelIndex rootIndex() const;
    // The folder of an item, without a trailing "/".
    QString folderPath(const QModelIndex& index) const;
    // The item of a folder inside "Test/", reading the folders on the way; the deepest item
    // that exists when the path leads nowhere, the "Test" item when it is not inside "Test/".
    QModelIndex indexForPath(const QString& folder);
    // The files of the item's folder of the given type, sorted ignoring case.
    QStringList files(const QModelIndex& index, int typeIndex);
    // Reads the item's folder again (its sub-folder items are replaced); when the folder is
    // gone, its parent is read again instead. Returns the item that was read.
    QModelIndex refresh(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Node;
    Node* node(const QModelIndex& index) const;
    QModelIndex indexOf(Node* n) const;
    void load(Node* n, const QModelIndex& index);
    void unload(Node* n, const QModelIndex& index);

    ScanFileSystem& fs_;
    QString appDir_;
    std::unique_ptr<Node> top_; // holds the "Test" item, or nothing
};
