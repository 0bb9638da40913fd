#include "LinkRig.h"

#include "app/ValueLists.h"

#include <gtest/gtest.h>

namespace {
// A battery reply of twelve bytes whose characters 7..9 carry the raw value.
QByteArray batteryReply(const char* raw) {
    return QByteArray("#00tB:") + raw + "V\r\n";
}
} // namespace

TEST(Commands, SettingsSendTheirBytesAndWaitForTheirReplies) {
    LinkRig rig("/SEGNATUTTO");
    rig.channel.setResponder([](const QByteArray& cmd) -> ScriptedChannel::Reply {
        if (cmd.startsWith("#00(")) // settings are echoed
            return at(0.05, cmd.chopped(1));
        return at(0.05, "C\r\n");
    });
    rig.commands.SetFrequency(0.009);
    rig.commands.SetFrequency(10.7);
    rig.commands.SetRbw(3);
    rig.commands.SetPreamplifier(1);
    rig.commands.SetPreamplifier(0);
    rig.commands.SelectComponent(ProbeCommands::ComponentSelectCommands()[6], "Hx");

    EXPECT_EQ(rig.channel.writes,
              (std::vector<QByteArray>{"#00(t 9000*", "#00(t 10700000*", "#00(b3*", "#00~A\x03*",
                                       "#00~A\x02*", QByteArray("#00~C\x04\x80*", 8)}));
    EXPECT_EQ(rig.logLines(),
              (QStringList{okLine("Set frequency: 0.009 MHz"), okLine("Set frequency: 10.7 MHz"),
                           okLine("Set RBW: 10 kHz"), okLine("Set Preamplifier ON"),
                           okLine("Set Preamplifier OFF"), okLine("Set Hx")}));
    EXPECT_FALSE(rig.link.linkFailed(2));
    // Each command drains the input and flushes the output after its exchange.
    EXPECT_GE(rig.channel.flushes, 12);
}

TEST(Commands, ComponentSelectBytes) {
    QByteArray all;
    for (const QByteArray& cmd : ProbeCommands::ComponentSelectCommands())
        all += cmd;
    EXPECT_EQ(all, QByteArray("#00~C\x01\x00*#00~C\x02\x00*#00~C\x03\x00*"
                              "#00~C\x04\x00*#00~C\x05\x00*#00~C\x06\x00*"
                              "#00~C\x04\x80*#00~C\x05\x80*#00~C\x06\x80*",
                              72));
}

TEST(Commands, FailedSettingLogsItsFailTextOnce) {
    // A tiny frequency (allowed with "/NOLIMIT") is written in plain decimals.
    LinkRig tiny;
    tiny.commands.SetFrequency(0.00005);
    EXPECT_EQ(tiny.channel.writes.front(), QByteArray("#00(t 50*"));
    EXPECT_EQ(tiny.failureLines(), QStringList{failLine("Set frequency: 0.00005 MHz failed")});
    EXPECT_EQ(tiny.failedAndCommError(), std::pair(true, false));
    // Echo of another frequency is no confirmation.
    LinkRig other;
    other.channel.queueReplies(3, at(0.05, "#00(t 9001"));
    other.commands.SetFrequency(0.0091);
    EXPECT_TRUE(other.link.linkFailed(2));
    // An RBW index without a digit sends nothing.
    LinkRig bad;
    bad.commands.SetRbw(6);
    EXPECT_TRUE(bad.channel.writes.empty());
    EXPECT_TRUE(bad.link.linkFailed(2));
}

TEST(Commands, ReadFieldValues) {
    LinkRig rig;
    // A comma is not a decimal point on the wire; what is no number reads as 0.
    const std::pair<const char*, float> replies[] = {{"  12.5*", 12.5f},
                                                     {"0.0031*\r\n", 0.0031f},
                                                     {"3,5*", 3.0f},
                                                     {"garbage*", 0.0f},
                                                     {"1e999*", 0.0f}};
    for (const auto& [reply, value] : replies) {
        rig.channel.queueReply(at(0.1, reply));
        EXPECT_FLOAT_EQ(rig.commands.ReadField("Ex"), value) << reply;
    }
    EXPECT_EQ(rig.channel.writes.back(), QByteArray("#00(v*"));
    EXPECT_TRUE(rig.logLines().isEmpty());

    // A reading asked to be logged logs its data; a failed one gives 0 and its line.
    rig.channel.queueReply(at(0.1, "7.25*"));
    EXPECT_FLOAT_EQ(rig.commands.ReadField("Ex 27.12 MHz", true), 7.25f);
    EXPECT_FLOAT_EQ(rig.commands.ReadField("Ex 27.12 MHz", true), 0.0f);
    EXPECT_EQ(rig.logLines(), (QStringList{okLine("Reading field Ex 27.12 MHz 7.25"),
                                           failLine("Reading field Ex 27.12 MHz failed")}));
}

TEST(Commands, SerialNumberFormat) {
    for (const char* valid : {"123AB01123", "123ab01123", "1234Z11999"})
        EXPECT_TRUE(ProbeCommands::IsValidSerialNumber(valid)) << valid;
    // Position 5 a digit, position 7 not 0/1, a letter where a digit belongs, too short, too
    // long.
    for (const char* invalid :
         {"123A301012", "123AB02123", "12XAB01123", "123AB0112", "123AB011234"})
        EXPECT_FALSE(ProbeCommands::IsValidSerialNumber(invalid)) << invalid;
    EXPECT_FALSE(ProbeCommands::IsValidSerialNumber(QString()));
    // Letters outside A..Z do not count, even where case mapping would make them ones.
    EXPECT_FALSE(ProbeCommands::IsValidSerialNumber(QStringLiteral("123\u00DF01123x")));
    EXPECT_FALSE(ProbeCommands::IsValidSerialNumber(QStringLiteral("123A\u00C901123")));
}

TEST(Commands, ReadSerialNumberAcceptsAsReceived) {
    LinkRig rig;
    rig.channel.queueReply(at(0.2, "123ab01123*"));
    EXPECT_EQ(rig.commands.ReadSerialNumber(), QStringLiteral("123ab01123"));
    EXPECT_EQ(rig.channel.writes, std::vector<QByteArray>{"#00?S0*"});

    // An invalid number is asked for again after a second.
    LinkRig retry;
    retry.channel.queueReply(at(0.2, "123A30101234*"));
    retry.channel.queueReply(at(0.2, "123AB01123*"));
    EXPECT_EQ(retry.commands.ReadSerialNumber(), QStringLiteral("123AB01123"));
    EXPECT_EQ(retry.channel.writes.size(), 2u);
    EXPECT_FALSE(retry.link.commError());
    EXPECT_TRUE(retry.failureLines().isEmpty());
}

TEST(Commands, ReadSerialNumberGivesUpAfterThreeInvalidNumbers) {
    LinkRig rig("/LOGDLC");
    rig.channel.queueReplies(3, at(0.2, "123A30101234*"));
    EXPECT_EQ(rig.commands.ReadSerialNumber(), QStringLiteral("123A301012"));
    EXPECT_EQ(rig.failureLines(),
              QStringList{failLine("Reading serial number failed [123A301012] ")});
    EXPECT_EQ(rig.failedAndCommError(), std::pair(true, true));

    // A silent station: three failed exchanges and the final line.
    LinkRig silent;
    EXPECT_EQ(silent.commands.ReadSerialNumber(), QString());
    EXPECT_EQ(silent.channel.writes.size(), 9u);
    EXPECT_EQ(silent.failureLines().size(), 4);
    EXPECT_TRUE(silent.link.commError());

    // A stop ends the reading without giving up on the station.
    LinkRig stopped;
    stopped.channel.queueReplies(3, at(0.5, "bad*"));
    stopped.pump.after(0.2, [&] { stopped.ctx.flags.StopRequest = true; });
    EXPECT_EQ(stopped.commands.ReadSerialNumber(), QString());
    EXPECT_EQ(stopped.channel.writes.size(), 1u);
    EXPECT_FALSE(stopped.link.commError());
    EXPECT_TRUE(stopped.failureLines().isEmpty());
}

TEST(Commands, BatteryLevelsAndColours) {
    // (3.92 - 3.6) / 0.3 * 11 = 11.7: level 11, 12 notches; 3.71 V gives level 4. Low levels
    // are red, the others green.
    const std::tuple<int, const char*, int, bool> cases[] = {{255, "4.50 V ", 12, false},
                                                             {222, "3.91 V ", 12, false},
                                                             {210, "3.70 V ", 5, false},
                                                             {180, "3.17 V ", 1, false},
                                                             {178, "3.14 V ", 1, true}};
    const std::pair<quint32, quint32> green(rgbValue(128, 255, 128), rgbValue(0, 255, 0));
    const std::pair<quint32, quint32> red(rgbValue(255, 128, 128), rgbValue(255, 0, 0));
    for (const auto& [raw, caption, notches, low] : cases) {
        const BatteryDisplay d = ProbeCommands::BatteryLevel(raw);
        EXPECT_EQ(std::tuple(d.caption, d.notches, d.low, std::pair(d.colorBegin, d.colorEnd)),
                  std::tuple(QString(caption), notches, low, low ? red : green))
            << raw;
    }
}

TEST(Commands, ReadBatteryShowsAndLogsTheLevel) {
    LinkRig rig;
    rig.link.setCurrentStation(2, "123AB01123");
    rig.link.MarkStationLink(true);
    rig.channel.queueReply({{0.05, "#00tB"}, {0.25, ":255"}, {0.45, "V\r\n"}});
    rig.commands.ReadBattery(2);
    EXPECT_EQ(rig.channel.writes, std::vector<QByteArray>{"#00t*"});
    ASSERT_EQ(rig.view.batteries.size(), 1u);
    EXPECT_EQ(rig.view.batteries[0].first, 2);
    EXPECT_EQ(rig.view.batteries[0].second.notches, 12);
    EXPECT_EQ(rig.logLines(), QStringList{okLine("Reading battery: 4.50 V ", "123AB01123")});
    // A good reading leaves the station's mark alone.
    EXPECT_EQ(rig.failedAndCommError(), std::pair(true, false));
}

TEST(Commands, ZeroBatteryReadingIsAFailedAttempt) {
    LinkRig rig;
    rig.channel.queueReply(at(0.05, batteryReply("000")));
    rig.channel.queueReply(at(0.05, batteryReply("180")));
    rig.commands.ReadBattery(2);
    EXPECT_EQ(rig.channel.writes.size(), 2u);
    EXPECT_EQ(rig.logLines(), QStringList{okLine("Reading battery: 3.17 V ")});

    LinkRig zero("/LOGDLC");
    zero.channel.queueReplies(3, at(0.05, batteryReply("000")));
    zero.commands.ReadBattery(2);
    EXPECT_EQ(zero.channel.writes.size(), 3u);
    EXPECT_TRUE(zero.view.batteries.empty());
    EXPECT_EQ(zero.logLines(), QStringList{failLine("Reading battery failed [#00tB:000] ")});
    EXPECT_EQ(zero.failedAndCommError(), std::pair(true, true));

    // A garbled value with an exponent is held to the 16-bit range, not wrapped around.
    LinkRig huge;
    huge.channel.queueReply(at(0.05, batteryReply("9e9")));
    huge.commands.ReadBattery(2);
    ASSERT_EQ(huge.view.batteries.size(), 1u);
    EXPECT_EQ(huge.view.batteries[0].second.notches, 12);
    EXPECT_FALSE(huge.view.batteries[0].second.low);
}

TEST(Commands, BatterySilenceOrAGapEndsAnAttempt) {
    LinkRig rig("/LOGDLC");
    // A pause longer than the silence timer cuts the reply short, three times.
    rig.channel.queueReplies(3, {{0.05, "#00tB"}, {0.5, ":255V\r\n"}});
    rig.commands.ReadBattery(2);
    EXPECT_EQ(rig.channel.writes.size(), 3u);
    EXPECT_EQ(rig.logLines(), QStringList{failLine("Reading battery failed [#00tB] ")});
    EXPECT_EQ(rig.failedAndCommError(), std::pair(true, true));
}

TEST(Commands, ReadFirmwareIgnoresTheNotice) {
    LinkRig rig("/SEGNATUTTO");
    // The notice lands in the middle of the reply, itself split over two pieces.
    rig.channel.queueReply({{0.02, "#00V0000MZ#00@"}, {0.04, "%*"}, {0.06, " Rel 1.07*"}});
    EXPECT_EQ(rig.commands.ReadFirmware(), QStringLiteral("MZ Rel 1.07*"));
    for (const auto& [text, release] : {std::pair{"MZ Rel 1.07*", "1.07"},
                                        {"HX-450 rEl:2.13", "2.13"},
                                        {"Rel 1", "1"},
                                        {"no version", ""}})
        EXPECT_EQ(ProbeCommands::FirmwareRelease(text), QLatin1String(release)) << text;
    EXPECT_EQ(rig.logLines(), QStringList{okLine("Reading firmware: MZ Rel 1.07*")});
    EXPECT_EQ(rig.channel.writes, std::vector<QByteArray>{"#00V*"});
    EXPECT_FALSE(rig.link.linkFailed(2));
}

TEST(Commands, ReadFirmwareFailsAfterFiveSilentTries) {
    LinkRig rig;
    EXPECT_EQ(rig.commands.ReadFirmware(), QString());
    EXPECT_EQ(rig.channel.writes.size(), 5u);
    EXPECT_EQ(rig.failureLines(), QStringList{failLine("Reading firmware failed")});
    EXPECT_EQ(rig.failedAndCommError(), std::pair(true, false));
}
