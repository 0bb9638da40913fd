#include "app/DialogBackup.h"

#include "app/SaveWholeFile.h"

#include <QFile>

namespace {
bool readAll(const QString& path, QByteArray& out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    out = f.readAll();
    return f.error() == QFileDevice::NoError;
}
} // namespace

bool DialogBackup::begin(const QString& file, const QString& copyPath) {
    discard();
    if (!readAll(file, bytes_)) return false;
    file_ = file;
    copy_ = copyPath;
    QByteArray back;
    verified_ = saveWholeFile(copy_, bytes_) && readAll(copy_, back) && back == bytes_;
    active_ = true;
    return true;
}

bool DialogBackup::restore() {
    if (!active_) return false;
    if (!saveWholeFile(file_, bytes_)) return false;
    discard();
    return true;
}

void DialogBackup::discard() {
    if (active_ && !copy_.isEmpty()) QFile::remove(copy_);
    active_ = verified_ = false;
    bytes_.clear();
    file_.clear();
    copy_.clear();
}
