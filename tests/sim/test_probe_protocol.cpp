#include "SimTestUtil.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <cmath>

namespace {

double dB(double a, double b) {
    return 20.0 * std::log10(a / b);
}

// The settings as one comparable value.
auto fields(const ProbeSettings& s) {
    return std::tuple(s.tunedHz, s.rbwIndex, s.componentCode, s.range, s.preamplifier,
                      s.sweepStartHz, s.sweepStepHz, s.sweepFinalHz);
}

TEST(ProbeProtocol, SettingsAreEchoedAndTakeEffect) {
    TimedProbe probe(quietStation());
    for (const char* body : {"(b3", "(t 9000", "(i100000", "(s75000", "(f30150000"})
        EXPECT_EQ(probe(body), framed(body));
    // Component with range, and the preamplifier, are confirmed by "C\r\n".
    for (const QByteArray& body : {QByteArray("~C\x05\x80", 4), QByteArray("~A\x03", 3)})
        EXPECT_EQ(probe(body), QByteArray("C\r\n"));
    EXPECT_EQ(fields(probe.settings()), fields({9000, 3, 5, 128, true, 100000, 75000, 30150000}));
    for (const QByteArray& body : {QByteArray("~C\x01\x00", 4), QByteArray("~A\x02", 3)})
        EXPECT_EQ(probe(body), QByteArray("C\r\n"));
    EXPECT_EQ(fields(probe.settings()), fields({9000, 3, 1, 0, false, 100000, 75000, 30150000}));
    EXPECT_EQ(probe.unknownCommands(), 0);
    EXPECT_EQ(probe.commands().size(), 9u);
    EXPECT_EQ(probe.commands().front(), QByteArray("#00(b3*"));
}

TEST(ProbeProtocol, MalformedCommandsGetNoReply) {
    TimedProbe probe(quietStation());
    // RBW digit out of range, a space where none belongs, none where one must be, letters in
    // a frequency, an unknown component code or range, a preamplifier byte other than 2/3.
    for (const QByteArray& body :
         {QByteArray("(b6"), QByteArray("(b"), QByteArray("(i 100"), QByteArray("(t9000"),
          QByteArray("(t 9k"), QByteArray("(t "), QByteArray("~C\x07\x00", 4),
          QByteArray("~C\x01\x01", 4), QByteArray("~A\x01", 3), QByteArray("zz")}) {
        EXPECT_TRUE(probe(body).isEmpty()) << body.toHex().constData();
    }
    EXPECT_EQ(probe.unknownCommands(), 10);
    EXPECT_EQ(fields(probe.settings()), fields(ProbeSettings()));
}

TEST(ProbeProtocol, CommandsAreFoundInAnyByteStream) {
    ProbeModel probe(quietStation());
    // Line noise before, a command in single bytes, a command broken off by the next one,
    // and a "~C" whose parameter byte is the end mark's value.
    const QByteArray stream = QByteArray("\xff\x00junk#0", 8) + "0(b2*" + "#00(t 12#00(b1*" +
                              QByteArray("#00~C\x02\x00*", 8);
    for (int i = 0; i < stream.size(); ++i)
        probe.receive(stream.mid(i, 1), 0.0);
    EXPECT_EQ(probe.transmit(10.0), QByteArray("#00(b2*#00(b1*C\r\n"));
    EXPECT_EQ(probe.settings().componentCode, 2);
    EXPECT_EQ(probe.unknownCommands(), 1);

    // A stream of random bytes never stops the probe from answering the next good command.
    QRandomGenerator random(7);
    for (int round = 0; round < 200; ++round) {
        QByteArray noise(int(random.bounded(200)), '\0');
        for (auto& c : noise)
            c = char(random.bounded(256));
        probe.receive(noise, 20.0);
    }
    probe.transmit(100.0);
    probe.receive("*#00(b4*", 100.0);
    EXPECT_TRUE(probe.transmit(101.0).endsWith("#00(b4*"));
}

TEST(ProbeProtocol, SerialFirmwareAndBatteryRepliesHaveTheirLayouts) {
    StationConfig st = quietStation();
    st.serial = "123AB01123";
    st.firmware = "HVP 30 Rel 1.07 2026";
    st.batteryRaw = 7;
    TimedProbe probe(st);
    EXPECT_EQ(probe("?S0"), QByteArray("123AB01123*"));

    const QByteArray fw = probe("V");
    EXPECT_EQ(fw.left(8).indexOf('*'), -1) << "the end mark must not come before the text";
    EXPECT_EQ(fw.mid(8), QByteArray("HVP 30 Rel 1.07 2026*"));

    const QByteArray bat = probe("t");
    ASSERT_GE(bat.size(), 12);
    EXPECT_EQ(bat.trimmed().left(9).right(3), QByteArray("007"));
}

TEST(ProbeProtocol, RepliesLeaveAtTheLineRateAfterADelay) {
    StationConfig st = quietStation();
    st.replyDelay = 0.01;
    ProbeModel probe(st);
    probe.receive(framed("?S0"), 1.0); // 11 bytes of reply
    const double perByte = 1.0 / ProbeModel::kBytesPerSecond;
    EXPECT_TRUE(probe.transmit(1.0 + 0.01 + 0.5 * perByte).isEmpty());
    EXPECT_EQ(probe.nextByteTime(), 1.01 + perByte);
    EXPECT_EQ(probe.transmit(1.01 + 4.5 * perByte).size(), 4);
    EXPECT_EQ(probe.queuedBytes(), 7);
    EXPECT_EQ(probe.transmit(1.01 + 11 * perByte).size(), 7);
    EXPECT_TRUE(std::isinf(probe.nextByteTime()));

    // Two replies queued at once share the line: the second follows the first.
    probe.receive(framed("(b0") + framed("(b1"), 2.0);
    EXPECT_EQ(probe.transmit(2.01 + 7 * perByte), QByteArray("#00(b0*"));
    EXPECT_EQ(probe.transmit(2.01 + 14 * perByte - 1e-9), QByteArray("#00(b1"));
}

TEST(ProbeProtocol, ReadingsFollowTheEmittersAndTheRbw) {
    StationConfig st = quietStation();
    st.emitters = {carrier(10.0, 3.0, 4.0, 12.0)};
    Emitter wide = carrier(20.0, 6.0, 0.0, 0.0);
    wide.bandwidthMHz = 0.2;
    st.emitters.push_back(wide);
    TimedProbe probe(st);
    auto readAt = [&](const char* hz, int rbw, QByteArray component) {
        probe("(b" + QByteArray::number(rbw));
        probe(QByteArray("(t ") + hz);
        probe("~C" + component);
        const QByteArray reply = probe("(v");
        EXPECT_TRUE(reply.endsWith('*')) << reply.constData();
        EXPECT_EQ(reply.indexOf('e'), -1) << "plain decimal expected: " << reply.constData();
        return reply.chopped(1).toDouble();
    };
    EXPECT_NEAR(readAt("10000000", 3, QByteArray("\x03\x00", 2)), 12.0, 0.001);
    EXPECT_NEAR(readAt("10000000", 3, QByteArray("\x02\x00", 2)), 4.0, 0.001);
    // H defaults to E / 377, on both H ranges.
    EXPECT_NEAR(readAt("10000000", 3, QByteArray("\x06\x00", 2)), 12.0 / 377, 1e-5);
    EXPECT_NEAR(readAt("10000000", 3, QByteArray("\x06\x80", 2)), 12.0 / 377, 1e-5);
    // 50 kHz off the carrier: a 300 kHz filter still passes most of it, 10 kHz almost none.
    EXPECT_GT(readAt("10050000", 0, QByteArray("\x03\x00", 2)), 10.0);
    EXPECT_LT(readAt("10050000", 3, QByteArray("\x03\x00", 2)), 0.1);
    // A wide emitter reads lower through a narrow filter: its power is spread.
    const double wide300 = readAt("20000000", 0, QByteArray("\x01\x00", 2));
    EXPECT_NEAR(wide300, 6.0 * std::sqrt(0.3 / std::sqrt(0.3 * 0.3 + 0.2 * 0.2)), 0.01);
    EXPECT_LT(readAt("20000000", 5, QByteArray("\x01\x00", 2)), wide300 / 5);
}

TEST(ProbeProtocol, PointEncodingRoundTripsOverTheWholeRange) {
    for (double factor : {1.0 / 8, 1.0 / 40, 1.0 / 400, 0.2 / 8}) {
        for (double level = 64 * factor / 8; level < 1e5; level *= 1.37) {
            const QByteArray p = ProbeModel::encodePoint(0, level, factor);
            ASSERT_EQ(p.size(), 5);
            EXPECT_LT(std::abs(dB(ProbeModel::decodePoint(p, factor), level)), 0.07)
                << level << " " << factor;
        }
    }
    EXPECT_EQ(ProbeModel::decodePoint(ProbeModel::encodePoint(0, 0.0, 0.125), 0.125), 0.0);
    EXPECT_EQ(ProbeModel::decodePoint(ProbeModel::encodePoint(0, -1.0, 0.125), 0.125), 0.0);
    // The sequence byte wraps after 255.
    EXPECT_EQ(quint8(ProbeModel::encodePoint(254, 1, 1)[0]), 255);
    EXPECT_EQ(quint8(ProbeModel::encodePoint(255, 1, 1)[0]), 0);
}

struct SweepCase {
    const char* name;
    QByteArray component; // code, range
    double factor;
    bool preamp;
};

class ProbeSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(ProbeSweep, StreamDecodesToTheScenarioLevels) {
    const SweepCase c = GetParam();
    StationConfig st = quietStation();
    // Carriers on the sweep's frequency grid, levels per axis.
    st.emitters = {carrier(1.0, 5.0, 2.0, 3.0), carrier(13.6, 12.0, 20.0, 8.0),
                   carrier(27.1, 30.0, 9.0, 15.0)};
    // H given per emitter, in the strengths the H ranges are made for.
    const bool h = quint8(c.component[0]) >= 4;
    for (Emitter& em : st.emitters) {
        em.hGiven = true;
        em.h = {em.e[0] / 10, em.e[1] / 10, em.e[2] / 10};
    }
    TimedProbe probe(st);
    probe("(b0");
    probe("~C" + c.component);
    probe(c.preamp ? QByteArray("~A\x03", 3) : QByteArray("~A\x02", 3));
    probe.setSweep();
    probe.receive(framed("(g"), probe.t);
    // No echo: the header must be the first byte the program sees.
    const QByteArray stream = probe.transmit(probe.t + 10.0);

    const int points = 399 + 2;
    ASSERT_EQ(stream.size(), 11 + points * 5 + 1);
    EXPECT_EQ(stream.back(), '*');
    const int axis = (quint8(c.component[0]) - 1) % 3;
    const double factor = c.factor * (c.preamp ? 0.2 : 1.0);
    for (int i = 0; i < points; ++i) {
        const QByteArray point = stream.mid(11 + i * 5, 5);
        ASSERT_EQ(quint8(point[0]), (i + 1) % 256) << i;
        const double level = ProbeModel::decodePoint(point, factor);
        for (const Emitter& em : st.emitters) {
            if (std::abs(0.1 + i * 0.075 - em.frequencyMHz) < 1e-9) {
                const double want = h ? em.h[size_t(axis)] : em.e[size_t(axis)];
                EXPECT_LT(std::abs(dB(level, want)), 0.1) << em.frequencyMHz << " MHz";
            }
        }
    }
    // The first point (0.1 MHz) is far from every carrier: close to the noise floor.
    EXPECT_LT(ProbeModel::decodePoint(stream.mid(11, 5), factor), h ? 0.02 : 0.2);
}

INSTANTIATE_TEST_SUITE_P(
    Components, ProbeSweep,
    ::testing::Values(SweepCase{"E", QByteArray("\x01\x00", 2), 1.0 / 8, false},
                      SweepCase{"EPreamplifier", QByteArray("\x02\x00", 2), 1.0 / 8, true},
                      SweepCase{"HModeA", QByteArray("\x06\x80", 2), 1.0 / 40, false},
                      SweepCase{"HModeB", QByteArray("\x05\x00", 2), 1.0 / 400, false},
                      SweepCase{"HModeBPreamplifier", QByteArray("\x04\x00", 2), 1.0 / 400, true}),
    [](const ::testing::TestParamInfo<SweepCase>& info) { return std::string(info.param.name); });

TEST(ProbeProtocol, SweepAndReadingAgreeAndRunsRepeat) {
    StationConfig st = quietStation();
    st.noiseE = 0.5;
    st.noiseJitter = 0.3;
    st.emitters = {carrier(5.0, 7.0, 1.0, 1.0)};
    st.emitters[0].driftDb = 2.0;
    st.seed = 99;
    auto run = [&](StationConfig config) {
        TimedProbe probe(config);
        QByteArray all;
        for (const char* body :
             {"(b1", "(i4000000", "(s25000", "(f6000000", "(g", "(t 5000000", "(v"})
            all += probe(body, 2.0);
        return all;
    };
    const QByteArray first = run(st);
    EXPECT_EQ(first, run(st)) << "the same seed must give the same bytes";
    st.seed = 100;
    EXPECT_NE(first, run(st));

    // The reading at 5 MHz and the sweep point at 5 MHz (index 40) are the same field.
    const qsizetype sweepAt = first.indexOf("SWP");
    ASSERT_GE(sweepAt, 0);
    const double point = ProbeModel::decodePoint(first.mid(sweepAt + 11 + 40 * 5, 5), 1.0 / 8);
    const qsizetype tuneEcho = first.indexOf("#00(t 5000000*");
    const double reading = first.mid(tuneEcho + 14).chopped(1).toDouble();
    EXPECT_LT(std::abs(dB(point, reading)), 0.5);
    EXPECT_GT(reading, 7.0 * std::pow(10.0, -2.0 / 20) - 0.1);
}

TEST(ProbeProtocol, HostileSweepSettingsStayBounded) {
    TimedProbe probe(quietStation());
    // One hertz steps over 30 MHz would be 30 million points.
    for (const char* body : {"(i0", "(s1", "(f9999999999"})
        probe(body);
    probe.receive(framed("(g"), probe.t);
    EXPECT_EQ(probe.queuedBytes(), 11 + ProbeModel::kMaxSweepPoints * 5 + 1);
    probe.reset();
    // No step set: a header and the end mark, no points.
    probe("(s0");
    probe.receive(framed("(g"), probe.t);
    EXPECT_EQ(probe.transmit(probe.t + 1).size(), 12);
}

} // namespace
