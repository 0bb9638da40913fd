#include "panel/PanelModel.h"

#include "app/AppContext.h"
#include "panel/FileNames.h"
#include "panel/PanelFile.h"
#include "panel/PanelValidation.h"
#include "panel/SettingsFile.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kUntitled = QStringLiteral("Untitled.EST");
const QString kExtension = QStringLiteral(".EST");
constexpr int kMaxNameLength = 196;

bool acceptableName(const QString& name) {
    return TestDirs::isSafeName(name) && name.size() <= kMaxNameLength && name == name.trimmed();
}
} // namespace

PanelModel::PanelModel(AppContext& ctx, SettingsRecord& settings)
    : ctx_(ctx), settings_(settings) {}

QString PanelModel::currentPanelPath() const {
    return ctx_.path(QStringLiteral("Panels/")) + currentName_;
}

QString PanelModel::panelTitle() const {
    return FileNames::fileTitle(currentName_);
}

bool PanelModel::PanelModified() const {
    return ::PanelModified(panel_, backup_, ctx_.appDir);
}

QString PanelModel::findPanelFile(const QString& fileName) const {
    if (!TestDirs::isSafeName(fileName)) return {};
    const QDir dir(ctx_.path(QStringLiteral("Panels/")));
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden))
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0) return entry;
    return {};
}

void PanelModel::setCurrentName(const QString& fileName) {
    currentName_ = fileName;
    settings_.CurrentPanelName = fileName;
    SaveSettings(settingsPath(ctx_), settings_);
}

void PanelModel::loadAndValidate(const QString& path) {
    if (!PanelFile::read(path, panel_)) {
        applyNewPanelDefaults(panel_, ctx_.switches);
        PanelFile::write(path, panel_);
    }
    backup_ = panel_;
    ValidatePanel(panel_, ctx_);
    rebuild();
    // Keep the file equal to the record, so a second load finds the same panel (an old
    // layout is upgraded once, not again at every start).
    PanelFile::write(path, panel_);
}

void PanelModel::startUp() {
    QDir().mkpath(ctx_.path(QStringLiteral("Panels/")));
    const QString stored = settings_.CurrentPanelName.trimmed();
    QString found = stored.isEmpty() ? QString() : findPanelFile(stored);
    if (found.isEmpty()) {
        const QString untitled = findPanelFile(kUntitled);
        setCurrentName(untitled.isEmpty() ? kUntitled : untitled);
    } else {
        currentName_ = found;
    }
    loadAndValidate(currentPanelPath());
}

bool PanelModel::open(const QString& name) {
    if (!acceptableName(name)) return false;
    const QString existing = findPanelFile(name + kExtension);
    const QString fileName = existing.isEmpty() ? name + kExtension : existing;
    const QString path = ctx_.path(QStringLiteral("Panels/")) + fileName;
    loadAndValidate(path);
    setCurrentName(fileName);
    if (!QFileInfo::exists(path)) setCurrentName(kUntitled);
    return true;
}

bool PanelModel::saveAs(const QString& name) {
    if (!acceptableName(name)) return false;
    const QString existing = findPanelFile(name + kExtension);
    const QString fileName = existing.isEmpty() ? name + kExtension : existing;
    if (!PanelFile::write(ctx_.path(QStringLiteral("Panels/")) + fileName, panel_)) return false;
    setCurrentName(fileName);
    return true;
}

bool PanelModel::validSlot(int slot) const {
    return slot >= 0 && slot < PanelRecord::StationCount && panel_.Stations[size_t(slot)].inUse();
}

void PanelModel::changed() {
    store();
    evaluateChecks();
}

bool PanelModel::setComm(int slot, int comm) {
    if (!validSlot(slot) || comm < 1 || comm > 99) return false;
    panel_.Stations[size_t(slot)].Comm = qint16(comm);
    changed();
    return true;
}

bool PanelModel::setSerialNumber(int slot, const QString& serialNumber) {
    if (!validSlot(slot)) return false;
    panel_.Stations[size_t(slot)].setSerialNumber(serialNumber);
    changed();
    return true;
}

bool PanelModel::setComment(int slot, const QString& comment) {
    if (!validSlot(slot)) return false;
    panel_.Stations[size_t(slot)].setComment(comment);
    changed();
    return true;
}

bool PanelModel::setEnabled(int slot, bool enabled) {
    if (!validSlot(slot)) return false;
    panel_.Stations[size_t(slot)].Enabled = enabled ? -1 : 0;
    changed();
    return true;
}

int PanelModel::addStation(int comm, const QString& serialNumber, const QString& comment,
                           bool enabled) {
    const int slot = panel_.firstFreeSlot();
    if (slot < 0 || comm < 1 || comm > 99) return -1;
    StationRecord& s = panel_.Stations[size_t(slot)];
    s.Comm = qint16(comm);
    if (!serialNumber.isEmpty()) s.setSerialNumber(serialNumber);
    if (!comment.isEmpty()) s.setComment(comment);
    s.Enabled = enabled ? -1 : 0;
    rebuild();
    store();
    return slot;
}

bool PanelModel::removeStation(int slot) {
    if (!validSlot(slot)) return false;
    panel_.removeStation(slot);
    rebuild();
    store();
    return true;
}

void PanelModel::setFreqTableName(const QString& name) {
    panel_.setFreqTableName(name);
    changed();
}

void PanelModel::editSettings(const std::function<void(PanelRecord&)>& change) {
    if (change) change(panel_);
    changed();
}

void PanelModel::undo() {
    panel_ = backup_;
    rebuild();
    store();
}

void PanelModel::rebuild() {
    for (StationRecord& s : panel_.Stations) {
        if (!s.inUse()) continue;
        s.setSerialNumber(s.serialNumberText());
        s.setComment(s.commentText());
    }
    backup_ = panel_;
    evaluateChecks();
}

void PanelModel::evaluateChecks() {
    checks_ = evaluatePanelChecks(panel_, ctx_.appDir, ctx_.switches);
    emit checksChanged(checks_);
}

bool PanelModel::store() {
    return PanelFile::write(currentPanelPath(), panel_);
}
