#pragma once

#include <QString>

class Clock;

// The result folders "Test/<test name>/YYYY/MM/DD/" of one station and day. The date parts
// are taken when SetTestDate runs and kept until the next call.
class TestDirs {
public:
    TestDirs(QString appDir, const Clock& clock);

    void SetTestDate();
    // Creates the folders of TestName and the test date; returns the day folder with a
    // trailing "/", or an empty text when TestName is not a safe single folder name.
    QString MakeTestDirectories();
    // The day folder for the present TestName and date (not created).
    QString dayDir() const;

    QString TestName;
    QString TestYearDir;  // "YYYY/"
    QString TestMonthDir; // "MM/"
    QString TestDayDir;   // "DD/"

    // True when name can be used as one folder below "Test/" or one file name in "Panels/" or
    // "Table/": not empty, no separators, no "..", no characters that file systems refuse,
    // and only single-byte (Latin-1) characters, as the records store names.
    static bool isSafeName(const QString& name);

private:
    QString appDir_;
    const Clock& clock_;
};
