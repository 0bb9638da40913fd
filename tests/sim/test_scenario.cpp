#include "sim/Scenario.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

const char* kFull = R"({
  "seed": 5,
  "stations": [
    {"port": 7, "serial": "999ZZ19999", "firmware": "X Rel 2.00", "battery": 180,
     "noise": 0.1, "noiseH": 0.0002, "noiseJitter": 0, "replyDelay": 0.02,
     "emitters": [
        {"frequency": 1.5, "e": [1, 2, 3], "bandwidth": 0.01, "drift": 1, "driftPeriod": 60},
        {"frequency": 2.5, "e": 4, "h": [0.1, 0.2, 0.3]}],
     "faults": {"silent": false, "late": {"delay": 3.5, "count": 2, "commands": ["?S0"]},
                "split": 3, "garbage": {"text": "xy"}, "notice": {"place": "before"},
                "badSequence": {"point": 12}, "batteryZero": true, "badSerial": {"text": "BAD"},
                "stall": {"point": 40, "duration": 1.5},
                "vanish": {"at": 10, "duration": 5}}},
    {"port": 8}
  ]})";

TEST(Scenario, ReadsEverySetting) {
    Scenario s;
    QString error;
    ASSERT_TRUE(parseScenario(kFull, s, &error)) << error.toStdString();
    ASSERT_EQ(s.stations.size(), 2u);
    const StationConfig& a = s.stations[0];
    EXPECT_EQ(std::tuple(a.port, a.serial, a.firmware, a.batteryRaw),
              std::tuple(7, QByteArray("999ZZ19999"), QByteArray("X Rel 2.00"), 180));
    EXPECT_EQ(std::tuple(a.noiseE, a.noiseH, a.replyDelay), std::tuple(0.1, 0.0002, 0.02));
    ASSERT_EQ(a.emitters.size(), 2u);
    EXPECT_EQ(a.emitters[0].e, (std::array<double, 3>{1, 2, 3}));
    EXPECT_FALSE(a.emitters[0].hGiven);
    EXPECT_DOUBLE_EQ(a.emitters[0].bandwidthMHz, 0.01);
    EXPECT_EQ(a.emitters[1].e, (std::array<double, 3>{4, 4, 4}));
    EXPECT_TRUE(a.emitters[1].hGiven);
    EXPECT_FALSE(a.faults[FaultKind::Silent].enabled);
    const Fault& late = a.faults[FaultKind::Late];
    EXPECT_EQ(std::tuple(late.enabled, late.count, late.commands),
              std::tuple(true, 2, QStringList{"?S0"}));
    EXPECT_EQ(a.faults[FaultKind::Split].count, 3);
    EXPECT_EQ(a.faults[FaultKind::Garbage].text, QByteArray("xy"));
    EXPECT_EQ(a.faults[FaultKind::Notice].place, NoticePlace::Before);
    EXPECT_EQ(a.faults[FaultKind::Notice].commands, QStringList{"V"});
    EXPECT_EQ(a.faults[FaultKind::BadSequence].point, 12);
    EXPECT_TRUE(a.faults[FaultKind::BatteryZero].enabled);
    const Fault& stall = a.faults[FaultKind::Stall];
    EXPECT_EQ(std::tuple(stall.point, stall.duration, stall.commands),
              std::tuple(40, 1.5, QStringList{"(g"}));
    EXPECT_TRUE(a.faults.vanish.enabled);
    EXPECT_DOUBLE_EQ(a.faults.vanish.duration, 5);
    // Defaults for what the second station leaves out; seeds differ per station.
    EXPECT_EQ(s.stations[1].port, 8);
    EXPECT_TRUE(s.stations[1].emitters.empty());
    EXPECT_NE(s.stations[0].seed, s.stations[1].seed);
}

TEST(Scenario, RejectsBadInputWithAClearMessage) {
    // The text and what its error message says.
    const std::pair<const char*, const char*> cases[] = {
        {"", "not valid JSON"},
        {R"({"stations": [)", "not valid JSON"},
        {"[1,2]", "JSON object"},
        {"{}", R"("stations")"},
        {R"({"stations": []})", R"("stations")"},
        {R"({"stations": [{}]})", R"(station 1: "port" is missing)"},
        {R"({"stations": [{"port": 0}]})", R"("port" must be a whole number from 1 to 99)"},
        {R"({"stations": [{"port": 2.5}]})", R"("port")"},
        {R"({"stations": [{"port": "1"}]})", R"("port")"},
        {R"({"stations": [{"port": 1}, {"port": 1}]})", "station 2: port 1 is used twice"},
        {R"({"stations": [{"port": 1, "serial": "12*"}]})", R"("serial")"},
        {"{\"stations\": [{\"port\": 1, \"firmware\": \"\u20ac\"}]}", "Latin-1"},
        {R"({"stations": [{"port": 1, "battery": 1000}]})", R"("battery")"},
        {R"({"stations": [{"port": 1, "noise": -1}]})", R"("noise")"},
        {R"({"stations": [{"port": 1, "emitters": {}}]})", R"("emitters")"},
        {R"({"stations": [{"port": 1, "emitters": [{"e": 1}]}]})",
         R"(station 1, emitter 1: "frequency")"},
        {R"({"stations": [{"port": 1, "emitters": [{"frequency": 1, "e": [1, 2]}]}]})", R"("e")"},
        {R"({"stations": [{"port": 1, "emitters": [{"frequency": 1e308}]}]})", R"("frequency")"},
        {R"({"stations": [{"port": 1, "faults": {"explode": true}}]})",
         R"(unknown fault "explode")"},
        {R"({"stations": [{"port": 1, "faults": {"late": "yes"}}]})", R"(fault "late")"},
        {R"({"stations": [{"port": 1, "faults": {"split": {"pieces": 0}}}]})", R"("pieces")"},
        {R"({"stations": [{"port": 1, "faults": {"vanish": {"at": -1}}}]})", R"("at")"},
        {R"({"stations": [{"port": 1, "prot": 2}]})", R"(unknown setting "prot")"},
    };
    for (const auto& [json, message] : cases) {
        Scenario s;
        s.stations.resize(3);
        QString error;
        EXPECT_FALSE(parseScenario(json, s, &error)) << json;
        EXPECT_TRUE(error.contains(QString::fromUtf8(message)))
            << json << " -> " << error.toStdString();
        EXPECT_TRUE(s.stations.empty()) << "nothing half-read is kept";
    }
}

TEST(Scenario, MangledFilesNeverCrash) {
    QRandomGenerator random(11);
    const QByteArray base(kFull);
    for (int round = 0; round < 3000; ++round) {
        QByteArray text = base;
        const int edits = 1 + int(random.bounded(6));
        for (int e = 0; e < edits && !text.isEmpty(); ++e) {
            const int at = int(random.bounded(text.size()));
            switch (random.bounded(3)) {
            case 0:
                text[at] = char(random.bounded(256));
                break;
            case 1:
                text.remove(at, 1 + int(random.bounded(20)));
                break;
            default:
                text.truncate(at);
            }
        }
        Scenario s;
        QString error;
        EXPECT_TRUE(parseScenario(text, s, &error) || !error.isEmpty()) << "a refusal says why";
    }
}

TEST(Scenario, FilesAreReadWithTheirNameInErrors) {
    TempAppDir dir;
    ASSERT_TRUE(writeAll(dir.file("good.json"), kFull));
    ASSERT_TRUE(writeAll(dir.file("bad.json"), "{\"stations\": 3}"));
    Scenario s;
    QString error;
    EXPECT_TRUE(loadScenarioFile(dir.file("good.json"), s, &error));
    EXPECT_FALSE(loadScenarioFile(dir.file("bad.json"), s, &error));
    EXPECT_TRUE(error.startsWith(dir.file("bad.json"))) << error.toStdString();
    EXPECT_FALSE(loadScenarioFile(dir.file("missing.json"), s, &error));
    EXPECT_TRUE(error.contains("missing.json"));
}

} // namespace
