#include "panel/ScanFolderModel.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

struct ScanFolderModel::Node {
    QString name;
    QString path; // without a trailing "/"
    Node* parent = nullptr;
    int row = 0;
    bool loaded = false;
    std::vector<std::unique_ptr<Node>> children;
    QList<ScanFileSystem::Entry> entries; // the files of the last read
};

ScanFolderModel::ScanFolderModel(ScanFileSystem& fs, QString appDir, QObject* parent)
    : QAbstractItemModel(parent), fs_(fs), appDir_(std::move(appDir)),
      top_(std::make_unique<Node>()) {
    top_->loaded = true;
    const QString root = scanRoot(appDir_);
    if (QFileInfo(root).isDir()) {
        auto test = std::make_unique<Node>();
        test->name = QStringLiteral("Test");
        test->path = root.chopped(1);
        test->parent = top_.get();
        top_->children.push_back(std::move(test));
    }
}

ScanFolderModel::~ScanFolderModel() = default;

ScanFolderModel::Node* ScanFolderModel::node(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : top_.get();
}

QModelIndex ScanFolderModel::indexOf(Node* n) const {
    return n == top_.get() ? QModelIndex() : createIndex(n->row, 0, n);
}

QModelIndex ScanFolderModel::rootIndex() const {
    return top_->children.empty() ? QModelIndex() : indexOf(top_->children.front().get());
}

QString ScanFolderModel::folderPath(const QModelIndex& index) const {
    return index.isValid() ? node(index)->path : QString();
}

void ScanFolderModel::load(Node* n, const QModelIndex& index) {
    QList<ScanFileSystem::Entry> all = fs_.list(n->path + QLatin1Char('/'));
    QStringList folders;
    n->entries.clear();
    for (ScanFileSystem::Entry& e : all) {
        if (e.folder)
            folders << e.name;
        else
            n->entries.append(std::move(e));
    }
    sortIgnoringCase(folders);
    n->loaded = true;
    if (folders.isEmpty()) return;
    beginInsertRows(index, 0, int(folders.size()) - 1);
    for (const QString& name : folders) {
        auto child = std::make_unique<Node>();
        child->name = name;
        child->path = n->path + QLatin1Char('/') + name;
        child->parent = n;
        child->row = int(n->children.size());
        n->children.push_back(std::move(child));
    }
    endInsertRows();
}

void ScanFolderModel::unload(Node* n, const QModelIndex& index) {
    if (!n->children.empty()) {
        beginRemoveRows(index, 0, int(n->children.size()) - 1);
        n->children.clear();
        endRemoveRows();
    }
    n->entries.clear();
    n->loaded = false;
}

QModelIndex ScanFolderModel::indexForPath(const QString& folder) {
    const QModelIndex root = rootIndex();
    if (!root.isValid() || !ControllaLivelloDirTest(appDir_, folder)) return root;
    const QString base = QFileInfo(node(root)->path).canonicalFilePath();
    QString existing = folder;
    while (!existing.isEmpty() && !QFileInfo(existing).isDir()) {
        const QString up = TrovaUltimaDir(existing);
        if (up == existing) break;
        existing = up;
    }
    const QString target = QFileInfo(existing).canonicalFilePath();
    if (base.isEmpty() || target.isEmpty()) return root;
    const QStringList parts =
        QDir(base).relativeFilePath(target).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QModelIndex at = root;
    for (const QString& part : parts) {
        if (part == QLatin1String(".")) continue;
        Node* n = node(at);
        if (!n->loaded) load(n, at);
        auto hit = std::find_if(n->children.begin(), n->children.end(),
                                [&](const auto& c) { return c->name == part; });
        if (hit == n->children.end()) break;
        at = indexOf(hit->get());
    }
    return at;
}

QStringList ScanFolderModel::files(const QModelIndex& index, int typeIndex) {
    if (!index.isValid()) return {};
    Node* n = node(index);
    if (!n->loaded) load(n, index);
    return filterScanFiles(n->entries, typeIndex);
}

QModelIndex ScanFolderModel::refresh(const QModelIndex& index) {
    if (!index.isValid()) return {};
    Node* n = node(index);
    if (n->parent != top_.get() && !QFileInfo(n->path).isDir()) return refresh(indexOf(n->parent));
    unload(n, index);
    load(n, index);
    return index;
}

QModelIndex ScanFolderModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* p = node(parent);
    if (column != 0 || row < 0 || size_t(row) >= p->children.size()) return {};
    return createIndex(row, 0, p->children[size_t(row)].get());
}

QModelIndex ScanFolderModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOf(node(child)->parent);
}

int ScanFolderModel::rowCount(const QModelIndex& parent) const {
    return int(node(parent)->children.size());
}

int ScanFolderModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant ScanFolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return node(index)->name;
    if (role == Qt::ToolTipRole) return node(index)->path;
    return {};
}

bool ScanFolderModel::hasChildren(const QModelIndex& parent) const {
    const Node* n = node(parent);
    // An unread folder may hold folders: knowing would cost a read per item.
    return !n->loaded || !n->children.empty();
}

bool ScanFolderModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && !node(parent)->loaded;
}

void ScanFolderModel::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent)) load(node(parent), parent);
}
