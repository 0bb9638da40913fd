#pragma once

#include <QByteArray>
#include <QString>

// The copy a dialog that allows Cancel keeps of the file it edits in place ("Panels/TMP.TMP").
// begin() writes the copy and reads it back; restore() puts exactly the bytes kept at begin()
// back in one replace-on-commit write (never from a copy someone else may have left under the
// same name, never deleting the live file first); discard() removes the copy.
class DialogBackup {
public:
    DialogBackup() = default;
    DialogBackup(const DialogBackup&) = delete;
    DialogBackup& operator=(const DialogBackup&) = delete;

    // False when the live file cannot be read; the copy is best effort (restore works from
    // the kept bytes even when it could not be written).
    bool begin(const QString& file, const QString& copyPath);
    // Writes the kept bytes back and removes the copy. False when the write failed (the copy
    // is then left in place).
    bool restore();
    // Removes the copy and forgets the bytes.
    void discard();

    bool active() const { return active_; }
    bool copyVerified() const { return verified_; }
    const QByteArray& bytes() const { return bytes_; }

private:
    QString file_;
    QString copy_;
    QByteArray bytes_;
    bool active_ = false;
    bool verified_ = false;
};
