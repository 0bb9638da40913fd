#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Name rules shared by the panel and frequency-table dialogs and the panel loader.
// Positions are 1-based, as the dialogs count them; "\", ":" and "/" all end a folder.
namespace FileNames {

// Position of the last "." (1-based), 0 when there is none.
int lastDot(const QString& text);
// The text before the last dot when that dot is at position 2 or later, else the whole
// text; trimmed.
QString nameWithoutExtension(const QString& text);
// The name without extension, from after the last folder separator.
QString fileTitle(const QString& text);
// The name without extension up to and including the last folder separator; empty when
// there is none or the text is shorter than 2 characters.
QString folderPart(const QString& text);
// At most three characters after the last dot (position 2 or later), trimmed; else empty.
QString extension(const QString& text);

// The outcome of the length check of a dialog: the path to use (empty = refused) and, when
// not empty, an exclamation message with its title that the dialog shows.
struct LengthCheckResult {
    QString path;
    QString message;
    QString title;
};
// Open mode refuses a name without extension longer than limit - 4; save mode cuts it.
LengthCheckResult lengthCheck(const QString& path, bool openMode, int limit = 200);

// The characters a typed name may not hold.
QString illegalNameCharacters();
// The text without illegal characters; caret (0-based) moved back by the characters removed
// before it and clamped to the new length.
QString removeIllegalCharacters(const QString& text, int* caret = nullptr);

// A name that Windows reserves for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, in any case,
// also followed by an extension): a file of that name would open the device, so panels and
// tables never take one, and files stay portable.
bool isDeviceName(const QString& name);
// A typed or listed name (without extension) that may become a file in a data folder: a safe
// plain name (single-byte, no folder separator, wildcard or control character, no ".."),
// without blanks at either end, and not a device name.
bool isUsableName(const QString& name);

// Exchange sort, repeated until a pass makes no swap. By name: case-insensitive, ascending.
// By date: newest first, with dateOf(name) giving the modification time; a pair with an
// invalid (unreadable) date keeps its order.
void sortFileNames(QStringList& names, bool byDate,
                   const std::function<QDateTime(const QString&)>& dateOf = {});
// The same with the dates of folder + name + "." + extension.
void sortFileNamesIn(QStringList& names, bool byDate, const QString& folder,
                     const QString& extension);

} // namespace FileNames
