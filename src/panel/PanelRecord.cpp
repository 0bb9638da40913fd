#include "panel/PanelRecord.h"

QByteArray fixedText(const QString& text, int n) {
    return text.toLatin1().left(n).leftJustified(n, ' ');
}

QString shownText(const QByteArray& fixed) {
    qsizetype begin = 0;
    qsizetype end = fixed.size();
    auto blank = [](char c) { return c == ' ' || c == '\0'; };
    while (begin < end && blank(fixed[begin]))
        ++begin;
    while (end > begin && blank(fixed[end - 1]))
        --end;
    return QString::fromLatin1(fixed.constData() + begin, end - begin);
}

void StationRecord::clear() {
    Comm = 0;
    SerialNumber = QByteArray(SerialNumberSize, '\0');
    Comment = QByteArray(CommentSize, '\0');
    Enabled = 0;
}

void StationRecord::takeStationFrom(const StationRecord& other) {
    Comm = other.Comm;
    SerialNumber = other.SerialNumber;
    Comment = other.Comment;
    Enabled = other.Enabled;
}

int PanelRecord::usedStationCount() const {
    int n = 0;
    for (const StationRecord& s : Stations)
        n += s.inUse() ? 1 : 0;
    return n;
}

int PanelRecord::firstFreeSlot() const {
    int last = -1;
    for (int i = 0; i < StationCount; ++i)
        if (Stations[size_t(i)].inUse()) last = i;
    return last + 1 < StationCount ? last + 1 : -1;
}

void PanelRecord::removeStation(int slot) {
    if (slot < 0 || slot >= StationCount) return;
    for (int i = slot; i < StationCount - 1; ++i)
        Stations[size_t(i)].takeStationFrom(Stations[size_t(i + 1)]);
    Stations[StationCount - 1].clear();
}

void PanelRecord::compactStations() {
    for (int i = 0; i < StationCount; ++i) {
        if (Stations[size_t(i)].inUse()) continue;
        // Find the next station in use; none left means the rest is empty already.
        int j = i + 1;
        while (j < StationCount && !Stations[size_t(j)].inUse())
            ++j;
        if (j == StationCount) return;
        removeStation(i);
        --i; // look at slot i again, a station has moved into it
    }
}
