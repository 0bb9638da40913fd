#include "panel/SettingsFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A 1040-byte file image with every region holding a recognisable pattern.
QByteArray patternedImage() {
    QByteArray b(kSettingsRecordSize, '\0');
    for (int i = 0; i < b.size(); ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    auto put16 = [&](int off, qint16 v) { qToLittleEndian<qint16>(v, b.data() + off); };
    auto put32 = [&](int off, qint32 v) { qToLittleEndian<qint32>(v, b.data() + off); };
    put32(0, 0x00102030);
    put32(4, 0x00405060);
    put16(8, 1);
    put32(10, 0x00123456);
    put32(14, 0x00ABCDEF);
    put16(18, 5);
    put16(20, 3);
    put16(232, 4);
    const QByteArray name = QByteArray("Site A.EST").leftJustified(200, ' ');
    std::copy(name.cbegin(), name.cend(), b.begin() + 234);
    return b;
}

QByteArray imageWith(int offset, const QByteArray& bytes) {
    QByteArray b = settingsToBytes(SettingsDefaults());
    std::copy(bytes.cbegin(), bytes.cend(), b.begin() + offset);
    return b;
}

template <typename T> QByteArray le(T v) {
    QByteArray b(sizeof(T), '\0');
    qToLittleEndian<T>(v, b.data());
    return b;
}

constexpr qint32 kDefaultButtonStart = qint32(0x80000014u);
constexpr qint32 kDefaultButtonEnd = qint32(0x8000000Fu);
const QFileDevice::Permissions kOwnerAll =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

} // namespace

// A temporary application directory and the settings file's place in it.
struct SettingsFile : ::testing::Test {
    TempAppDir dir;
    const QString path = dir.file("Panels/Untitled.EPN");
    SettingsRecord load(const QByteArray& image) {
        writeAll(path, image);
        return LoadSettings(path);
    }
};

TEST_F(SettingsFile, MissingFileIsCreatedWithTheDefaultLayout) {
    const SettingsRecord r = LoadSettings(path);
    EXPECT_EQ(r, SettingsDefaults());

    // Button colours, style, label colours and style; then scheme, reserved regions and the
    // empty name, all zero.
    EXPECT_EQ(readAll(path), QByteArray("\x14\x00\x00\x80\x0F\x00\x00\x80\x00\x00"
                                        "\xC0\xC0\xC0\x00\xFF\xFF\xFF\x00\x01\x00",
                                        20) +
                                 QByteArray(1020, '\0'));
}

TEST_F(SettingsFile, SaveAfterLoadGivesTheSameBytesIncludingReservedRegions) {
    const QByteArray original = patternedImage();
    const SettingsRecord r = load(original);
    EXPECT_EQ(r.CurrentPanelName, "Site A.EST");
    EXPECT_EQ(r.reserved22, original.mid(22, 42));
    ASSERT_TRUE(SaveSettings(path, r));
    EXPECT_EQ(readAll(path), original);

    // A changed name replaces the old one completely (no tail of the longer old name).
    SettingsRecord changed = r;
    changed.CurrentPanelName = "B.EST";
    ASSERT_TRUE(SaveSettings(path, changed));
    EXPECT_EQ(readAll(path),
              original.left(234) + QByteArray("B.EST").leftJustified(200, ' ') + original.mid(434));
    EXPECT_EQ(LoadSettings(path).CurrentPanelName, "B.EST");
    // Nothing but the record is left in the folder (no temporary file).
    EXPECT_EQ(QDir(dir.file("Panels")).entryList(QDir::Files), QStringList{"Untitled.EPN"});
}

TEST_F(SettingsFile, PanelNameIsSingleByteAndCutToItsField) {
    SettingsRecord r = SettingsDefaults();
    r.CurrentPanelName = QString::fromLatin1("R\xE9seau.EST");
    const QByteArray head = settingsToBytes(SettingsDefaults()).left(234);
    const QByteArray tail(606, '\0'); // the following region is untouched
    EXPECT_EQ(settingsToBytes(r), head + QByteArray("R\xE9seau.EST").leftJustified(200) + tail);
    EXPECT_EQ(settingsFromBytes(settingsToBytes(r)).CurrentPanelName, r.CurrentPanelName);

    r.CurrentPanelName = QString(250, QLatin1Char('x'));
    EXPECT_EQ(settingsToBytes(r), head + QByteArray(200, 'x') + tail);

    // A NUL-padded name (as in a file that never had spaces written) reads trimmed.
    EXPECT_EQ(settingsFromBytes(imageWith(234, QByteArray("P.EST\0\0\0  ", 10))).CurrentPanelName,
              "P.EST");
}

TEST_F(SettingsFile, ValidationResetsOutOfRangeAppearanceValues) {
    struct Case {
        int offset;
        QByteArray bytes;
        qint32 SettingsRecord::*field32;
        qint16 SettingsRecord::*field16;
        qint32 expected;
    };
    const qint32 int32Min = std::numeric_limits<qint32>::min();
    const Case cases[] = {
        {8, le<qint16>(7), nullptr, &SettingsRecord::ButtonStyle, 0},
        {8, le<qint16>(-1), nullptr, &SettingsRecord::ButtonStyle, 1},
        {8, le<qint16>(-32768), nullptr, &SettingsRecord::ButtonStyle, 0},
        {18, le<qint16>(-3), nullptr, &SettingsRecord::LabelStyle, 3},
        {18, le<qint16>(8), nullptr, &SettingsRecord::LabelStyle, 8},
        {18, le<qint16>(9), nullptr, &SettingsRecord::LabelStyle, 1},
        {20, le<qint16>(-7), nullptr, &SettingsRecord::LabelScheme, 7},
        {20, le<qint16>(-32768), nullptr, &SettingsRecord::LabelScheme, 0},
        {232, le<qint16>(-5), nullptr, &SettingsRecord::reserved232, 5},
        {232, le<qint16>(6), nullptr, &SettingsRecord::reserved232, 0},
        {10, le<qint32>(qint32(0x80000012u)), &SettingsRecord::LabelColorStart, nullptr, 0xC0C0C0},
        {10, le<qint32>(int32Min), &SettingsRecord::LabelColorStart, nullptr, 0xC0C0C0},
        {10, le<qint32>(-0x123456), &SettingsRecord::LabelColorStart, nullptr, 0x123456},
        {14, le<qint32>(0x1000000), &SettingsRecord::LabelColorEnd, nullptr, 0xFFFFFF},
        {14, le<qint32>(0xFFFFFF), &SettingsRecord::LabelColorEnd, nullptr, 0xFFFFFF},
        {14, le<qint32>(0), &SettingsRecord::LabelColorEnd, nullptr, 0},
        {0, le<qint32>(int32Min), &SettingsRecord::ButtonColorStart, nullptr, kDefaultButtonStart},
        {0, le<qint32>(0x00FF00), &SettingsRecord::ButtonColorStart, nullptr, 0x00FF00},
        {4, le<qint32>(qint32(0x80000005u)), &SettingsRecord::ButtonColorEnd, nullptr,
         kDefaultButtonEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "offset " << c.offset << " bytes " << c.bytes.toHex().constData());
        const QByteArray image = imageWith(c.offset, c.bytes);
        const SettingsRecord r = load(image);
        const qint32 got = c.field32 ? r.*(c.field32) : r.*(c.field16);
        EXPECT_EQ(got, c.expected);
        // Loading never writes the corrected values back.
        EXPECT_EQ(readAll(path), image);
    }
}

TEST_F(SettingsFile, ShortEmptyAndOversizedFilesLoadWithDefaultsForWhatIsMissing) {
    EXPECT_EQ(load(QByteArray()), SettingsDefaults());
    EXPECT_EQ(readAll(path), QByteArray()); // an existing file is not rewritten on load

    // 12 bytes: both button colours and the style are there, the label colour is cut.
    SettingsRecord r = SettingsDefaults();
    r.ButtonColorStart = 0x00102030;
    r.ButtonColorEnd = 0x00405060;
    r.ButtonStyle = 1;
    EXPECT_EQ(load(patternedImage().left(12)), r);

    // Cut inside the name: the name is not trusted, reserved bytes read so far are kept.
    r = load(patternedImage().left(300));
    EXPECT_EQ(r.CurrentPanelName, QString());
    EXPECT_EQ(r.reserved64, patternedImage().mid(64, 168));
    EXPECT_EQ(r.reserved232, 4);

    // Cut inside the last region: its missing tail reads as zero.
    r = load(patternedImage().left(1000));
    EXPECT_EQ(r.reserved636, patternedImage().mid(636, 364) + QByteArray(40, '\0'));
    EXPECT_EQ(r.CurrentPanelName, "Site A.EST");

    // Extra bytes after the record are ignored and not written back.
    r = load(patternedImage() + QByteArray(100, 'Z'));
    ASSERT_TRUE(SaveSettings(path, r));
    EXPECT_EQ(readAll(path), patternedImage());
}

TEST_F(SettingsFile, UnusableFolderGivesDefaultsAndAFailedSaveKeepsTheOldFile) {
    const QString panels = dir.file("Panels");
    ASSERT_TRUE(QDir().mkpath(panels));

    // A folder where the file should be: it cannot be read or replaced.
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_EQ(LoadSettings(path), SettingsDefaults());
    EXPECT_FALSE(SaveSettings(path, SettingsDefaults()));
    ASSERT_TRUE(QDir(path).removeRecursively());

    ASSERT_TRUE(QFile::setPermissions(panels, QFileDevice::Permissions()));
    EXPECT_EQ(LoadSettings(path), SettingsDefaults());
    if (geteuid() != 0) { // root ignores the permission bits
        EXPECT_FALSE(SaveSettings(path, SettingsDefaults()));
        QFile::setPermissions(panels, kOwnerAll);
        EXPECT_FALSE(QFile::exists(path));
        // A save that fails in a read-only folder keeps the old file.
        writeAll(path, patternedImage());
        ASSERT_TRUE(QFile::setPermissions(panels, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        EXPECT_FALSE(SaveSettings(path, SettingsDefaults()));
        QFile::setPermissions(panels, kOwnerAll);
        EXPECT_EQ(readAll(path), patternedImage());
    }
    QFile::setPermissions(panels, kOwnerAll);
}
