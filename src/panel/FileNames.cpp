#include "panel/FileNames.h"

#include "app/TestDirs.h"

#include <QFileInfo>

#include <utility>
#include <vector>

namespace FileNames {
namespace {
qsizetype lastSeparator(const QString& s) {
    return std::max({s.lastIndexOf(QLatin1Char('\\')), s.lastIndexOf(QLatin1Char(':')),
                     s.lastIndexOf(QLatin1Char('/'))});
}
} // namespace

int lastDot(const QString& text) {
    return int(text.lastIndexOf(QLatin1Char('.')) + 1);
}

QString nameWithoutExtension(const QString& text) {
    const int dot = lastDot(text);
    return (dot >= 2 ? text.left(dot - 1) : text).trimmed();
}

QString fileTitle(const QString& text) {
    const QString name = nameWithoutExtension(text);
    return name.mid(lastSeparator(name) + 1);
}

QString folderPart(const QString& text) {
    const QString name = nameWithoutExtension(text);
    if (name.size() < 2) return {};
    const qsizetype sep = lastSeparator(name);
    return sep < 0 ? QString() : name.left(sep + 1);
}

QString extension(const QString& text) {
    const int dot = lastDot(text);
    if (dot < 2) return {};
    return text.mid(dot, 3).trimmed();
}

LengthCheckResult lengthCheck(const QString& path, bool openMode, int limit) {
    const QString name = nameWithoutExtension(path);
    const int maxLength = limit - 4;
    if (name.size() <= maxLength) return {path, {}, {}};
    if (openMode)
        return {{}, QStringLiteral("File name too long"), QStringLiteral("Halvex OPEN FILE")};
    const QString cut = name.left(maxLength);
    return {cut + QLatin1Char('.') + extension(path),
            QStringLiteral("The name as been shortened in\r") + cut,
            QStringLiteral("Halvex SAVE FILE")};
}

QString illegalNameCharacters() {
    return QStringLiteral(".,+[]\\/|=*^:;<>?");
}

QString removeIllegalCharacters(const QString& text, int* caret) {
    const QString illegal = illegalNameCharacters();
    QString out;
    int newCaret = caret ? *caret : 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (illegal.contains(text[i])) {
            if (caret && i < *caret) --newCaret;
            continue;
        }
        out += text[i];
    }
    if (caret) *caret = std::clamp(newCaret, 0, int(out.size()));
    return out;
}

bool isDeviceName(const QString& name) {
    const QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList fixed = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                      QStringLiteral("AUX"), QStringLiteral("NUL")};
    if (fixed.contains(base)) return true;
    return base.size() == 4 &&
           (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base[3] >= QLatin1Char('1') && base[3] <= QLatin1Char('9');
}

bool isUsableName(const QString& name) {
    return TestDirs::isSafeName(name) && name == name.trimmed() && !isDeviceName(name);
}

void sortFileNames(QStringList& names, bool byDate,
                   const std::function<QDateTime(const QString&)>& dateOf) {
    std::vector<std::pair<QString, QDateTime>> items;
    items.reserve(size_t(names.size()));
    for (const QString& n : names)
        items.emplace_back(n, byDate && dateOf ? dateOf(n) : QDateTime());
    auto outOfOrder = [byDate](const auto& a, const auto& b) {
        if (!byDate) return a.first.compare(b.first, Qt::CaseInsensitive) > 0;
        return a.second.isValid() && b.second.isValid() && b.second > a.second;
    };
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (size_t i = 0; i + 1 < items.size(); ++i) {
            if (outOfOrder(items[i], items[i + 1])) {
                std::swap(items[i], items[i + 1]);
                swapped = true;
            }
        }
    }
    names.clear();
    for (auto& item : items)
        names.append(item.first);
}

void sortFileNamesIn(QStringList& names, bool byDate, const QString& folder,
                     const QString& extension) {
    sortFileNames(names, byDate, [&](const QString& name) {
        const QFileInfo info(folder + name + QLatin1Char('.') + extension);
        return info.exists() ? info.lastModified() : QDateTime();
    });
}

} // namespace FileNames
