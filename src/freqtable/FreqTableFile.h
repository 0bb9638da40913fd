#pragma once

#include "freqtable/FreqTable.h"

#include <QString>
#include <QStringList>

// Frequency table files "Table/" + name + ".FTR" under the application directory.
namespace FreqTableFile {

enum class ReadResult {
    Loaded,  // the table was replaced by the file's content
    Missing, // no such file: the table is left as it was
    Failed,  // the file is there but cannot be read: the table is left as it was
};

// Reads the first 1200 bytes of a file into table (see FreqTable::fromBytes for short or
// bad files). Creates the "Table" folder beside the file when it is missing.
ReadResult read(const QString& path, FreqTable& table);

// Writes the 1200 bytes of the table in one replace-on-commit step, so a crash never leaves
// a half-written file; a longer existing file keeps the bytes after the first 1200.
// Creates the folder when missing. False when the file could not be written.
bool write(const QString& path, const FreqTable& table);

// Names (without ".FTR", trimmed) of the files "*.FTR" in appDir + "Table/", matched
// case-insensitively, in directory listing order.
QStringList list(const QString& appDir);

// The existing file of a table name, matched case-insensitively; empty when there is none
// or when the name is not a plain file name (so a name from a file never leads outside).
QString find(const QString& appDir, const QString& name);

// Where a table of that name lives: the existing file when there is one, else
// appDir + "Table/" + name + ".FTR". Empty when the name is not a plain file name.
QString pathFor(const QString& appDir, const QString& name);

} // namespace FreqTableFile
