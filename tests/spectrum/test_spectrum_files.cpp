// The spectrum files of one acquisition: the SPC record, the text listing, the picture and
// where they go.
#include "OffscreenGui.h"
#include "app/Clock.h"
#include "app/Release.h"
#include "spectrum/SpcFile.h"
#include "spectrum/SpectrumFiles.h"
#include "spectrum/SpectrumHeaders.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <memory>

namespace {

const QString kSerial = QStringLiteral("123AB01123");

// A 0.1-30 MHz sweep at 300 kHz (399 points) with a distinct level for every trace and point.
struct Sweep {
    SweepSettings settings;
    std::unique_ptr<SpectrumData> data = std::make_unique<SpectrumData>();
    AcquisitionRecord record;

    Sweep() {
        settings.setRange(0.1f, 30.0f);
        settings.RbwIndex = 0;
        buildFrequencyAxis(settings, *data);
        for (int t = 0; t < SpectrumTraces; ++t)
            for (int i = 0; i < data->NPoints; ++i)
                data->Level[t][i] = 0.001f * float(i + 1) * float(t + 1);
        data->LatchedPeakLevel = 12.34567f;
        data->LatchedPeakFreq = 1.5f;
        data->LatchedSumSquares = 4.0f;
        record.stationId = kSerial;
        record.date = QDate(2020, 1, 15);
        record.dateText = QStringLiteral("2020/01/15");
        record.timeText = QStringLiteral("09:05:07");
        record.firmware = QStringLiteral("FW 1.23*");
        record.separatorIndex = 1;
    }
};

float floatAt(const QByteArray& b, qsizetype offset) {
    return std::bit_cast<float>(qFromLittleEndian<quint32>(b.constData() + offset));
}
void putFloat(QByteArray& b, qsizetype offset, float v) {
    qToLittleEndian<quint32>(std::bit_cast<quint32>(v), b.data() + offset);
}

QStringList lines(const QByteArray& text) {
    QStringList out = QString::fromLatin1(text).split(QStringLiteral("\r\n"));
    EXPECT_EQ(out.takeLast(), QString()); // the last line is ended too
    return out;
}

} // namespace

TEST(SpcFile, RecordIsLaidOutFieldByFieldAndReadsBackToTheSameBytes) {
    Sweep s;
    s.settings.SweepField = 1;
    SpcHeader header;
    header.thresholds = {3.5f, 0.25f};
    header.HeaderLine1 = QStringLiteral(" Spectrum N\u00B0 1 ") + QString(250, QLatin1Char('x'));
    header.HeaderLine2 = QStringLiteral("short");

    const QByteArray bytes = SpcFile::toBytes(header, s.settings, *s.data);
    // Thresholds, field, the two header lines (single-byte, cut or padded to 200), FStart,
    // FStop, Step, Span, FCenter; then trace by trace (Total, X, Y, Z) all 4001 points, zeros
    // beyond the sweep.
    const auto f32 = [](float v) {
        QByteArray b(4, '\0');
        putFloat(b, 0, v);
        return b;
    };
    QByteArray want = f32(3.5f) + f32(0.25f) + QByteArray("\x01\x00", 2) + " Spectrum N\xB0 1 " +
                      QByteArray(185, 'x') + QByteArray("short").leftJustified(200) + f32(0.1f) +
                      f32(30.0f) + f32(0.075f) + f32(s.settings.Span) + f32(s.settings.FCenter);
    for (const auto& trace : s.data->Level)
        for (float v : trace)
            want += f32(v);
    ASSERT_EQ(bytes, want);

    // Written to a file, loaded into a fresh window state and written again: same bytes.
    TempAppDir dir;
    const QString path = dir.file(QStringLiteral("a.SPC"));
    ASSERT_TRUE(SalvaStrSpettro(path, header, s.settings, *s.data));
    SpcHeader readHeader;
    SweepSettings readSettings;
    auto readData = std::make_unique<SpectrumData>();
    ASSERT_EQ(CaricaStrSpettro(path, readHeader, readSettings, *readData), SpcLoad::Loaded);
    EXPECT_EQ(readAll(path), bytes);
    EXPECT_EQ(SpcFile::toBytes(readHeader, readSettings, *readData), bytes);
    // The axis is rebuilt in whole Hz exactly as the acquisition built it.
    EXPECT_EQ(readData->NPoints, 399);
    EXPECT_EQ(readData->Freq, s.data->Freq);
    EXPECT_EQ(readData->Level, s.data->Level);
    // The boxes show the file's own peak.
    EXPECT_EQ(readData->LatchedPeakIndex, 398);
    EXPECT_EQ(readData->LatchedPeakLevel, s.data->Level[0][398]);
    EXPECT_EQ(readData->LatchedPeakFreq, 29.95f);
}

TEST(SpcFile, ReaderRefusesWhatIsNotAWholeRebuildableRecordAndChangesNothing) {
    Sweep s;
    const QByteArray good = SpcFile::toBytes(SpcHeader{}, s.settings, *s.data);
    auto with = [&](qsizetype offset, float v) {
        QByteArray b = good;
        putFloat(b, offset, v);
        return b;
    };
    const QByteArray textFile =
        QByteArray("Station 3 2020/01/15 09:05:07 Sorvetta\r\n").repeated(1700).left(64446);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::pair<const char*, QByteArray>> refused = {
        {"one byte short", good.left(64445)},
        {"one byte long", good + 'x'},
        {"a text file", textFile},
        {"NaN Step", with(418, nan)},
        {"zero Step", with(418, 0.0f)},
        {"FStart = FStop", with(410, 30.0f)},
        {"FStart > FStop", with(410, 31.0f)},
        {"NaN FStop", with(414, nan)},
        {"negative FStart", with(410, -1.0f)},
        {"axis beyond 4001 points", with(418, 0.000001f)},
        {"SweepField 7", QByteArray(good).replace(8, 1, "\x07")}, // the field is LE int16
    };
    TempAppDir dir;
    for (const auto& [what, bytes] : refused) {
        SCOPED_TRACE(what);
        SpcHeader header;
        header.HeaderLine1 = QStringLiteral("kept");
        SweepSettings settings;
        settings.setRange(1.0f, 2.0f);
        settings.Step = 0.5f;
        auto data = std::make_unique<SpectrumData>();
        data->Freq[0] = 1.0f;
        data->Level[2][7] = 9.0f;
        data->NPoints = 3;
        const auto state = [&] {
            return std::tuple(header.HeaderLine1, settings.FStart, settings.Step, data->Freq[0],
                              data->Freq[1], data->Level[2][7], data->NPoints);
        };
        const auto before = state();
        const QString path = dir.file(QStringLiteral("x.SPC"));
        ASSERT_TRUE(writeAll(path, bytes));
        EXPECT_EQ(CaricaStrSpettro(path, header, settings, *data), SpcLoad::Failed);
        EXPECT_EQ(state(), before);
    }
    // A folder under the name, or no file at all.
    SpcHeader header;
    SweepSettings settings;
    auto data = std::make_unique<SpectrumData>();
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("folder.SPC"))));
    EXPECT_EQ(CaricaStrSpettro(dir.file(QStringLiteral("folder.SPC")), header, settings, *data),
              SpcLoad::Failed);
    EXPECT_EQ(CaricaStrSpettro(dir.file(QStringLiteral("none.SPC")), header, settings, *data),
              SpcLoad::Missing);
    EXPECT_EQ(data->NPoints, 0);
}

TEST(SpcFile, NonFiniteOrNegativeLevelsAndThresholdsAreNeverLoaded) {
    Sweep s;
    QByteArray bytes = SpcFile::toBytes(SpcHeader{}, s.settings, *s.data);
    const float inf = std::numeric_limits<float>::infinity();
    putFloat(bytes, 0, std::numeric_limits<float>::quiet_NaN());
    putFloat(bytes, 430 + 4 * 10, inf);               // Total
    putFloat(bytes, 430 + 4 * (4001 + 11), -2.0f);    // X
    putFloat(bytes, 430 + 4 * (2 * 4001 + 12), -inf); // Y
    SpcHeader header;
    SweepSettings settings;
    auto data = std::make_unique<SpectrumData>();
    ASSERT_TRUE(SpcFile::fromBytes(bytes, header, settings, *data));
    EXPECT_EQ(header.thresholds[0], 20.0f);
    EXPECT_EQ(data->Level[0][10], 0.0f);
    EXPECT_EQ(data->Level[1][11], 0.0f);
    EXPECT_EQ(data->Level[2][12], 0.0f);
    EXPECT_TRUE(std::isfinite(data->LatchedSumSquares));
    EXPECT_EQ(data->LatchedPeakIndex, 398);

    // And the writer never puts one into a file.
    data->Level[3][0] = std::numeric_limits<float>::quiet_NaN();
    data->Level[3][1] = -inf;
    const QByteArray written = SpcFile::toBytes(header, settings, *data);
    EXPECT_EQ(floatAt(written, 430 + 4 * 3 * 4001), 0.0f);
    EXPECT_EQ(floatAt(written, 430 + 4 * (3 * 4001 + 1)), 0.0f);
}

TEST(SpectrumHeaders, HeaderLinesCarryThresholdAndRateOnlyWhenTheRunHasThem) {
    Sweep s;
    s.record.spectrumCount = 2;
    const QString sw = ReleaseText().left(4);
    EXPECT_EQ(DeterminaSTDatiSpettro(*s.data, s.settings, s.record, 0),
              QStringLiteral(
                  " RBW 300 kHz     123AB01123     E Field, Peak 12.345 V/m @ 1.5000 MHz     "));
    EXPECT_EQ(
        DeterminaSTDatiSpettro(*s.data, s.settings, s.record, 1),
        QStringLiteral(" Spectrum N\u00B0 3 2020/01/15 09:05:07     Rel. FW: FW 1.23* Rel. SW: ") +
            sw + QStringLiteral("     Sorvetta"));

    s.settings.limitCheck = true;
    s.settings.SweepField = 1;
    s.settings.RbwIndex = 4;
    s.record.thresholds = {20.0f, 0.1f};
    s.record.rateText = QStringLiteral("1 hour");
    s.record.unitCode = 13;
    *s.data = SpectrumData{};
    s.data->FieldNameLong = QStringLiteral("H Field (Mode A)");
    s.data->LatchedPeakLevel = 10.0f;
    s.data->LatchedPeakFreq = 0.25f;
    EXPECT_EQ(
        DeterminaSTDatiSpettro(*s.data, s.settings, s.record, 0),
        QStringLiteral(" RBW 3 kHz     123AB01123     H Field (Mode A), Peak 12.566 \u00B5T @ "
                       "0.2500 MHz     Threshold: 0.1 A/m     "));
    EXPECT_EQ(
        DeterminaSTDatiSpettro(*s.data, s.settings, s.record, 1),
        QStringLiteral(" Spectrum N\u00B0 3 Rate: 1 hour     2020/01/15 09:05:07     Rel. FW: "
                       "FW 1.23* Rel. SW: ") +
            sw + QStringLiteral("     Sorvetta"));
}

TEST(SpectrumListing, LiveAndReviewListingsHaveTheirHeadersTitlesAndSixtyCharacterLines) {
    Sweep s;
    s.data->AxisEnabled = {true, false, true};
    s.data->Level[0][0] = 12.34567f;
    s.data->Level[1][0] = 12345.6f;
    s.data->Level[3][0] = 1.0e7f; // a whole number from 10^6 up, no digit dropped
    s.settings.limitCheck = true;
    s.record.rateText = QStringLiteral("24 hours");
    const QStringList l = lines(spectrumListing(
        StampaIntFileTXTSpectrum(*s.data, s.settings, s.record), *s.data, s.record));

    const QStringList header = {
        QStringLiteral("123AB01123 2020/01/15 09:05:07 Sorvetta"),
        QStringLiteral("Rel. FW: FW 1.23* Rel. SW: ") + ReleaseText().left(4),
        QStringLiteral("RBW:  300 kHz  Span: 29.9 MHz"),
        QStringLiteral("E Field Peak 12.345 V/m @ 1.5000 MHz"),
        QStringLiteral("Threshold: 20 V/m"),
        QStringLiteral("WideBand: 12.345"),
        QStringLiteral("Spectrum N\u00B0 1"),
        QStringLiteral("Rate: 24 hours"),
        QStringLiteral("ssss"),
        QString(),
    };
    ASSERT_EQ(l.size(), header.size() + 2 + 399);
    EXPECT_EQ(l.mid(0, header.size()), header);
    for (int i = header.size(); i < l.size(); ++i)
        ASSERT_EQ(l[i].size(), 60) << i;
    // Titles end at characters 9, 19, 29, 39, 49; Y is not listed (axis off).
    EXPECT_EQ(l[10], "   Freq ,    Total,       X ,                 Z ,           ");
    EXPECT_EQ(l[11], "   MHz  ,      V/m,      V/m,                V/m,           ");
    EXPECT_EQ(l[12], "  0.1000,   12.345,    12345,           10000000,           ");
    EXPECT_TRUE(l.last().startsWith(QStringLiteral(" 29.9500,")));

    // Without the axes only frequency and Total are listed, under a review's header.
    Sweep r;
    r.record.separatorIndex = 0; // TAB
    r.record.showXYZ = false;
    const QStringList review =
        StampaIntFileTXTRivis(QStringLiteral("  first  "), QStringLiteral(" sec\r\nond "));
    QStringList t = lines(spectrumListing(review, *r.data, r.record));
    EXPECT_EQ(t.mid(0, 3),
              (QStringList{QStringLiteral("first"), QStringLiteral("sec  ond"), QString()}));
    const QString blanks(41, QLatin1Char(' '));
    EXPECT_EQ(t[3], QStringLiteral("   Freq \t    Total\t") + blanks);
    EXPECT_EQ(t.size(), 3 + 2 + 399);

    // The auxiliary input in dBm lists the dBm value of Total only; a zero level has none.
    r.record.showXYZ = true;
    r.record.auxInDbm = true;
    r.data->FieldType = 3;
    r.data->Level[0][0] = 223.6f;
    r.data->Level[0][1] = 0.0f;
    t = lines(spectrumListing(review, *r.data, r.record));
    EXPECT_EQ(t.mid(4, 3),
              (QStringList{"   MHz  \t      dBm\t" + blanks, "  0.1000\t     0.00\t" + blanks,
                           "  0.1750\t     ----\t" + blanks}));
}

TEST(SpectrumFiles, AcquisitionFilesGoUnderTheSerialAndStartDateWithTheChosenPicture) {
    ensureGuiApp();
    TempAppDir app;
    VirtualClock clock(QDate(2020, 1, 15), 9 * 3600 + 5 * 60 + 7);
    SpectrumFiles files(app.path(), clock);
    // The header lines start a tenth into the band at 17 dB, wherever the plot puts that.
    QPointF askedFor;
    files.setPictureSource(
        [] {
            QImage plot(400, 300, QImage::Format_RGB32);
            plot.fill(Qt::white);
            return plot;
        },
        [&](double mhz, double db) {
            askedFor = {mhz, db};
            return QPointF(100, 50);
        });
    Sweep s;
    const QString base = app.file(QStringLiteral("Test/123AB01123/2020/01/15/SM_E_09_05_07"));
    auto present = [&](const QString& b) {
        QStringList out;
        for (const char* ext : {".SPC", ".TXT", ".BMP", ".JPG"})
            if (QFileInfo::exists(b + QLatin1String(ext))) out << QLatin1String(ext);
        return out;
    };

    ASSERT_TRUE(files.saveAcquisition(*s.data, s.settings, s.record));
    EXPECT_EQ(present(base), (QStringList{".SPC", ".TXT"}));
    EXPECT_EQ(files.lastSpectrumFile(), base + QStringLiteral(".SPC"));

    s.record.saveBitmap = true;
    s.record.timeText = QStringLiteral("09:05:08");
    ASSERT_TRUE(files.saveAcquisition(*s.data, s.settings, s.record));
    const QString bmp = base.chopped(2) + QStringLiteral("08");
    EXPECT_EQ(present(bmp), (QStringList{".SPC", ".TXT", ".BMP"}));
    const QImage picture(bmp + QStringLiteral(".BMP"), "BMP");
    EXPECT_EQ(picture.size(), QSize(400, 300));
    EXPECT_NEAR(askedFor.x(), 0.1 + 0.1 * 29.9, 1e-5);
    EXPECT_EQ(askedFor.y(), 17.0);
    auto inked = [&](const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qGray(picture.pixel(x, y)) < 128;
        return n;
    };
    EXPECT_EQ(inked(QRect(0, 0, 400, 48)) + inked(QRect(0, 0, 98, 300)), 0);
    EXPECT_GT(inked(QRect(100, 50, 300, 30)), 100);

    // With the JPEG option only the JPEG remains, whatever the bitmap option.
    s.record.saveJpeg = true;
    s.record.jpegQuality = 60;
    s.record.timeText = QStringLiteral("09:05:09");
    s.data->FilePrefix = QStringLiteral("H_");
    ASSERT_TRUE(files.saveAcquisition(*s.data, s.settings, s.record));
    const QString jpg = app.file(QStringLiteral("Test/123AB01123/2020/01/15/SM_H_09_05_09"));
    EXPECT_EQ(present(jpg), (QStringList{".SPC", ".TXT", ".JPG"}));
    EXPECT_EQ(QImage(jpg + QStringLiteral(".JPG"), "JPG").size(), QSize(400, 300));
}

TEST(SpectrumFiles, NoFolderIsMadeFromProbeTextThatIsNotASerialNumber) {
    TempAppDir app;
    VirtualClock clock;
    SpectrumFiles files(app.path(), clock);
    Sweep s;
    for (const QString& id : {QStringLiteral("../../etc"), QStringLiteral("123AB0112"),
                              QStringLiteral("123AB01123/"), QString(), QStringLiteral("3")}) {
        s.record.stationId = id;
        EXPECT_FALSE(files.saveAcquisition(*s.data, s.settings, s.record)) << id.toStdString();
    }
    s.record.stationId = kSerial;
    s.record.date = QDate();
    s.record.dateText = QStringLiteral("garbled");
    EXPECT_FALSE(files.saveAcquisition(*s.data, s.settings, s.record));
    EXPECT_TRUE(QDir(app.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_TRUE(files.lastSpectrumFile().isEmpty());
}

TEST(SpectrumFiles, CharacterCleaningAndTemporaryCleanUp) {
    EXPECT_EQ(SostituisciCErrati(QStringLiteral("a.,+[]\\/|=*^:;<>?b 10:21:05")),
              QStringLiteral("a________________b 10_21_05"));

    TempAppDir app;
    ASSERT_TRUE(writeAll(app.file(QStringLiteral("__Sweep.1")), "x"));
    ASSERT_TRUE(writeAll(app.file(QStringLiteral("__Sweep.tmp")), "x"));
    ASSERT_TRUE(writeAll(app.file(QStringLiteral("keep/__Sweep.2")), "x"));
    ASSERT_TRUE(writeAll(app.file(QStringLiteral("target/inside")), "x"));
    ASSERT_TRUE(QDir().mkpath(app.file(QStringLiteral("__Sweep.dir/sub"))));
    ASSERT_TRUE(QFile::link(app.file(QStringLiteral("target/inside")),
                            app.file(QStringLiteral("__Sweep.lnk"))));
    RemoveFile(app.path());
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("__Sweep.1"))));
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("__Sweep.tmp"))));
    EXPECT_TRUE(QFileInfo::exists(app.file(QStringLiteral("keep/__Sweep.2"))));
    EXPECT_TRUE(QFileInfo::exists(app.file(QStringLiteral("__Sweep.dir/sub"))));
    EXPECT_TRUE(QFileInfo::exists(app.file(QStringLiteral("target/inside"))));
    RemoveFile(app.path(), QStringLiteral("../*"));
    EXPECT_TRUE(QFileInfo::exists(app.file(QStringLiteral("keep/__Sweep.2"))));
}
