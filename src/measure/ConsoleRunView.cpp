#include "measure/ConsoleRunView.h"

#include "app/Clock.h"

ConsoleRunView::ConsoleRunView(const Clock& clock, Sink sink)
    : clock_(clock), sink_(std::move(sink)) {}

void ConsoleRunView::line(const QString& text) {
    if (sink_) sink_(clock_.now().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + text);
}

QString ConsoleRunView::stationName(int slot) const {
    QString name = QStringLiteral("Station %1").arg(slot + 1);
    if (slot >= 0 && slot < 16 && !serials_[slot].isEmpty())
        name += QStringLiteral(" (") + serials_[slot] + QLatin1Char(')');
    return name;
}

void ConsoleRunView::lockForRun() {
    line(QStringLiteral("Run started"));
}
void ConsoleRunView::unlockAfterRun() {
    line(QStringLiteral("Run ended"));
}

void ConsoleRunView::setSerialCell(int slot, const QString& serial) {
    if (slot >= 0 && slot < 16) serials_[slot] = serial;
}

QString ConsoleRunView::serialCell(int slot) const {
    return slot >= 0 && slot < 16 ? serials_[slot] : QString();
}

void ConsoleRunView::showPollingLabel(const QString& caption, quint32, quint32, int) {
    line(QString(caption).replace(QLatin1Char('\r'), QLatin1Char(' ')));
}

void ConsoleRunView::message(const QString& text, MessageIcon) {
    line(QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
}

void ConsoleRunView::readingShown(const ReadingUpdate& u) {
    QString text =
        stationName(u.slot) + QStringLiteral(": ") + u.frequencyText + QStringLiteral(" MHz");
    if (!u.eText.isEmpty()) text += QStringLiteral("  E = ") + u.eText + QStringLiteral("V/m");
    if (!u.hText.isEmpty()) text += QStringLiteral("  H = ") + u.hText + QStringLiteral("A/m");
    text += QStringLiteral("  readings %1").arg(u.count);
    if (u.slot >= 0 && u.slot < 16 && !battery_[u.slot].isEmpty())
        text += QStringLiteral("  battery ") + battery_[u.slot].trimmed();
    line(text);
}

void ConsoleRunView::visitFailed(int slot, const QString& reason) {
    line(stationName(slot) + QStringLiteral(": ") + reason);
}

void ConsoleRunView::showBatteryLevel(int slot, const BatteryDisplay& display) {
    if (slot >= 0 && slot < 16) battery_[slot] = display.caption;
}

void ConsoleRunView::spectrumSwept(const SpectrumSweepUpdate& u) {
    if (u.slot >= 0 && u.slot < 16 && !u.serial.isEmpty()) serials_[u.slot] = u.serial;
    QString text = stationName(u.slot) + (u.field == 0 ? QStringLiteral(": E spectrum ")
                                                       : QStringLiteral(": H spectrum "));
    switch (u.outcome) {
    case SweepOutcome::Done:
        text += QStringLiteral("saved");
        break;
    case SweepOutcome::Failed:
        text += QStringLiteral("failed");
        break;
    case SweepOutcome::ManualStop:
        text += QStringLiteral("stopped");
        break;
    case SweepOutcome::NoFirmware:
        text += QStringLiteral("not swept (no firmware release)");
        break;
    }
    if (!u.startTime.isEmpty())
        text += QStringLiteral(" (started ") + u.startTime + QLatin1Char(')');
    line(text);
}
