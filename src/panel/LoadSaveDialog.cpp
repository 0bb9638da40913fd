#include "panel/LoadSaveDialog.h"

#include "panel/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
constexpr int kNameLimit = 200;
const QString kNotValid = QStringLiteral("File name not valid");

bool isNone(const QString& name) {
    return name.compare(QLatin1String("NONE"), Qt::CaseInsensitive) == 0;
}
} // namespace

LoadSaveDialog::LoadSaveDialog(LoadSaveParams params) : params_(std::move(params)) {}

void LoadSaveDialog::refresh() {
    entries_.clear();
    const QDir dir(params_.DialogFolder);
    const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.") + params_.DialogExtension},
                                                  QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QFileInfo& f : files)
        entries_.append({FileNames::fileTitle(f.fileName()), f.fileName(), f.lastModified()});
    // The exchange sort of the lists is stable, and so is this one: equal keys keep the
    // listing's order.
    if (params_.SortByDate)
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const auto& a, const auto& b) { return a.modified > b.modified; });
    else
        std::stable_sort(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
            return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
        });
}

QStringList LoadSaveDialog::titles() const {
    QStringList out;
    for (const LoadSaveEntry& e : entries_)
        out.append(e.title);
    return out;
}

const LoadSaveEntry* LoadSaveDialog::entry(int index) const {
    return index >= 0 && index < entries_.size() ? &entries_[index] : nullptr;
}

LoadSaveOutcome LoadSaveDialog::refuse(const QString& message, const QString& title) {
    LoadSaveOutcome o;
    o.message = message;
    o.messageTitle = title;
    return o;
}

LoadSaveOutcome LoadSaveDialog::load(int index) const {
    const LoadSaveEntry* e = entry(index);
    if (!e) return {};
    if (params_.DialogRefuseNone && isNone(e->title)) return refuse(kNotValid);
    // The title must name the listed file exactly, or the caller would open another file;
    // and it must be a name the records can keep.
    const QString ext = QLatin1Char('.') + params_.DialogExtension;
    const bool exact = e->fileName.size() == e->title.size() + ext.size() &&
                       e->fileName.startsWith(e->title) &&
                       e->fileName.endsWith(ext, Qt::CaseInsensitive);
    if (!exact || !FileNames::isUsableName(e->title)) return refuse(kNotValid);
    const FileNames::LengthCheckResult checked =
        FileNames::lengthCheck(e->fileName, true, kNameLimit);
    if (checked.path.isEmpty()) return refuse(checked.message, checked.title);
    LoadSaveOutcome o;
    o.close = true;
    o.result = e->title;
    return o;
}

LoadSaveOutcome LoadSaveDialog::save(const QString& typed) const {
    const QString name = FileNames::removeIllegalCharacters(typed).trimmed();
    LoadSaveOutcome o;
    if (name.isEmpty() || (params_.DialogRefuseNone && isNone(name))) {
        if (!name.isEmpty()) o.message = kNotValid;
        o.putNameBack = true;
        o.nameBack = params_.DialogDefaultName;
        return o;
    }
    const FileNames::LengthCheckResult checked = FileNames::lengthCheck(
        name + QLatin1Char('.') + params_.DialogExtension, false, kNameLimit);
    const QString title = FileNames::nameWithoutExtension(checked.path);
    if (!FileNames::isUsableName(title)) return refuse(kNotValid);
    o.message = checked.message;
    o.messageTitle = checked.title;

    // Any case counts: the writer replaces the file whose name matches without regard to case,
    // so the question must be asked for it.
    const QString fileName = title + QLatin1Char('.') + params_.DialogExtension;
    const QStringList present = QDir(params_.DialogFolder)
                                    .entryList({QStringLiteral("*.") + params_.DialogExtension},
                                               QDir::Files | QDir::Hidden, QDir::NoSort);
    const bool exists = std::any_of(present.begin(), present.end(), [&](const QString& f) {
        return f.compare(fileName, Qt::CaseInsensitive) == 0;
    });
    if (exists) o.question = title + QStringLiteral(" exists already.\rDo you want to replace it?");
    o.close = true;
    o.result = params_.DialogResultWithoutExtension ? title : fileName;
    return o;
}

QString LoadSaveDialog::deleteQuestion(int index, QString* refusal) const {
    const LoadSaveEntry* e = entry(index);
    if (!e) return {};
    if (!params_.ProtectedEntry.isEmpty() &&
        e->title.compare(params_.ProtectedEntry, Qt::CaseInsensitive) == 0) {
        if (refusal) *refusal = e->title + QStringLiteral(" is in use and cannot be deleted");
        return {};
    }
    return QStringLiteral("Are you sure you want to delete ") + e->title + QStringLiteral(" ?");
}

bool LoadSaveDialog::remove(int index) {
    const LoadSaveEntry* e = entry(index);
    bool removed = false;
    if (e && (params_.ProtectedEntry.isEmpty() ||
              e->title.compare(params_.ProtectedEntry, Qt::CaseInsensitive) != 0))
        removed = QFile::remove(params_.DialogFolder + e->fileName);
    refresh();
    return removed;
}
