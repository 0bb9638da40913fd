#include "panel/AppearanceSettings.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(AppearanceRules, ColourButtonsFollowTheStyle) {
    // Classic buttons and the one-colour label styles have no end colour.
    EXPECT_FALSE(buttonColourButtons(1).endVisible);
    EXPECT_EQ(buttonColourButtons(1).startCaption, "Color");
    EXPECT_TRUE(buttonColourButtons(0).endVisible);
    for (int style = 0; style < 9; ++style) {
        const bool one = style == 0 || style == 7 || style == 8;
        EXPECT_EQ(labelColourButtons(style).endVisible, !one) << style;
        EXPECT_EQ(labelColourButtons(style).startCaption == "Color", one) << style;
    }
}

struct Editor : ::testing::Test {
    TempAppDir app;
    QString file = app.path() + "Panels/Untitled.EPN";
    QString tmp = app.path() + "Panels/TMP.TMP";
    SettingsRecord settings;
    int changes = 0;
    void SetUp() override {
        settings = SettingsDefaults();
        settings.CurrentPanelName = "Site.EST";
        settings.reserved64[5] = 'k'; // bytes the dialog never touches are kept too
        ASSERT_TRUE(SaveSettings(file, settings));
    }
};

TEST_F(Editor, AChangeIsSavedAtOnceAndSettingItBackIsNoChange) {
    AppearanceEditor e(settings, file, tmp);
    e.onChange = [&] { ++changes; };
    e.begin();
    EXPECT_FALSE(e.changed());
    const quint32 old = e.colour(AppearanceEditor::LabelStart);
    e.setColour(AppearanceEditor::LabelStart, 0x123456);
    EXPECT_TRUE(e.changed());
    EXPECT_EQ(LoadSettings(file).LabelColorStart, 0x123456);
    e.setColour(AppearanceEditor::LabelStart, old);
    EXPECT_FALSE(e.changed());
    e.setLabelStyle(7);
    e.labelDefaults();
    EXPECT_FALSE(e.changed());
    e.setButtonStyle(1);
    EXPECT_TRUE(e.changed());
    e.buttonDefaults();
    EXPECT_FALSE(e.changed());
    EXPECT_EQ(changes, 6);
    e.accept();
    EXPECT_FALSE(QFile::exists(tmp));
}

TEST_F(Editor, CancelPutsBackTheFileByteForByteAndTheRecord) {
    const QByteArray before = readAll(file);
    const SettingsRecord atOpen = settings;
    AppearanceEditor e(settings, file, tmp);
    e.onChange = [&] { ++changes; };
    e.begin();
    EXPECT_EQ(readAll(tmp), before);
    e.setButtonStyle(1);
    e.setColour(AppearanceEditor::ButtonStart, 0x0000FF);
    e.setLabelStyle(8);
    changes = 0;
    e.cancel();
    EXPECT_EQ(readAll(file), before);
    EXPECT_EQ(settings, atOpen);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(QFile::exists(tmp));
}

} // namespace
