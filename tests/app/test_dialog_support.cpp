#include "app/DialogBackup.h"
#include "app/SaveWholeFile.h"
#include "app/TypedNumber.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(TypedNumber, ReadsClampsAndNeverOverflows) {
    EXPECT_EQ(typedWhole(QStringLiteral("0"), 1, 1440), 1);
    EXPECT_EQ(typedWhole(QStringLiteral("2000"), 1, 1440), 1440);
    EXPECT_EQ(typedWhole(QStringLiteral("2,5"), 1, 1440), 2);
    EXPECT_EQ(typedWhole(QStringLiteral("abc"), 10, 100), 10);
    EXPECT_EQ(typedWhole(QStringLiteral("99999999"), 0, 32767), 32767);
    EXPECT_EQ(typedWhole(QStringLiteral("1e999"), 0, 32767), 0); // no finite number: the low end
    EXPECT_EQ(typedWhole(QStringLiteral("-50"), 10, 100, true), 50);
    EXPECT_DOUBLE_EQ(typedNumber(QStringLiteral("2,5"), 0.009, 30), 2.5);
    EXPECT_DOUBLE_EQ(typedNumber(QStringLiteral("-5"), 0.009, 30, true), 5.0);
}

TEST(DialogBackup, RestorePutsBackOnlyTheBytesKeptAtBegin) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Panels/P.EST"));
    const QString copy = dir.filePath(QStringLiteral("Panels/TMP.TMP"));
    ASSERT_TRUE(saveWholeFile(file, "original"));
    DialogBackup backup;
    ASSERT_TRUE(backup.begin(file, copy));
    EXPECT_TRUE(backup.copyVerified());
    EXPECT_EQ(readAll(copy), "original");

    // Another writer's stale copy under the same name must never come back.
    ASSERT_TRUE(saveWholeFile(copy, "stale copy of another panel"));
    ASSERT_TRUE(saveWholeFile(file, "edited"));
    ASSERT_TRUE(backup.restore());
    EXPECT_EQ(readAll(file), "original");
    EXPECT_FALSE(QFile::exists(copy));

    ASSERT_TRUE(backup.begin(file, copy));
    backup.discard();
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(backup.restore());
    EXPECT_FALSE(backup.begin(dir.filePath(QStringLiteral("none")), copy));
}
