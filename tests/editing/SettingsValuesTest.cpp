// The settings dialog's values without its window: the colour list and the associations.
#include "editing/SettingsValues.h"
#include "platform/TRegistry.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

TEST(SettingsColors, IndexAndColourConvertBothWaysWithTheirFallbacks)
{
    ASSERT_EQ(ColorListEntries().size(), size_t(ColorListCount));
    for (int i = 0; i < ColorListCount; ++i) EXPECT_EQ(ColorToColorIndex(ColorIndexToColor(i)), i) << i;
    const struct
    {
        int Index;
        TColor Color;
    } cases[] = {{0, clAqua},  {1, clBlack},       {15, clYellow},      {16, clNone},     {17, clDefault},
                 {18, clBackground}, {22, clWindow}, {41, clInfoBk}, {-1, clBlack},    {42, clBlack}};
    for (const auto &c : cases) EXPECT_EQ(ColorIndexToColor(c.Index), c.Color) << c.Index;
    EXPECT_EQ(ColorToColorIndex(0x123456), ColorIndexBackground);
    EXPECT_EQ(ColorToColorIndex(clScrollBar), ColorIndexBackground);   // a system colour not listed
}

TEST(SettingsColors, NoneAndDefaultPicksByElement)
{
    const auto element = [](const char *name) {
        for (const HighlighterElement &e : HighlighterElements())
            if (AnsiString(e.Name) == name) return e;
        return HighlighterElements()[0];
    };
    const TColor editor = clAqua;
    EXPECT_EQ(PickedColor(element("Text"), false, ColorIndexNone, editor), editor);
    EXPECT_EQ(PickedColor(element("Text"), false, ColorIndexDefault, editor), clBlack);
    EXPECT_EQ(PickedColor(element("Text"), true, ColorIndexDefault, editor), editor);
    EXPECT_EQ(PickedColor(element("Whitespace"), true, ColorIndexNone, editor), clWindow);
    EXPECT_EQ(PickedColor(element("Selection"), true, ColorIndexDefault, editor), clHighlight);
    EXPECT_EQ(PickedColor(element("RightEdge"), false, ColorIndexDefault, editor), clGray);
    EXPECT_EQ(PickedColor(element("QUIL warnings"), true, ColorIndexDefault, editor), clSilver);
    EXPECT_EQ(PickedColor(element("Magic Word"), false, 11, editor), clRed);
    EXPECT_EQ(HighlighterElements().size(), 16u);
}

TEST(SettingsTabs, StoredWidthToMenuItem)
{
    const int cases[][2] = {{1, 1}, {0, 1}, {11, 1}, {-3, 1}, {2, 2}, {7, 7}, {10, 10}};
    for (const auto &c : cases) EXPECT_EQ(TabItemOfWidth(c[0]), c[1]) << c[0];
}

namespace {

class Associations : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        setenv("QUILLET_REGISTRY", (Dir.path() + "/settings.reg").toLocal8Bit().constData(), 1);
    }
    void TearDown() override { unsetenv("QUILLET_REGISTRY"); }

    static bool ClassKey(const AnsiString &key)
    {
        TRegistry reg;
        reg.RootKey = HKEY_CLASSES_ROOT;
        return reg.KeyExists("\\" + key);
    }
    static AnsiString OpenCommand(const AnsiString &type)
    {
        TRegistry reg;
        reg.RootKey = HKEY_CLASSES_ROOT;
        if (!reg.OpenKey("\\" + type + "\\shell\\open\\command", false)) return "<none>";
        return ReadStringOr(reg, "", "<none>");
    }

    QTemporaryDir Dir;
};

const AssociationItem &Item(const char *extension)
{
    for (const AssociationItem &item : AssociationItems())
        if (AnsiString(item.Extension) == extension) return item;
    return AssociationItems()[0];
}

} // namespace

TEST_F(Associations, ACheckedItemRegistersAndAnUncheckedOneRemoves)
{
    ApplyAssociation(Item(".KAS"), true, "/opt/q/quillet");
    EXPECT_TRUE(ClassKey(".KAS"));
    EXPECT_EQ(OpenCommand("KAS Script"), "\"/opt/q/quillet\" \"%1\"");
    ApplyAssociation(Item(".KAS"), false, "/opt/q/quillet");
    EXPECT_FALSE(ClassKey(".KAS"));
    EXPECT_FALSE(ClassKey("KAS Script"));
}

TEST_F(Associations, TheTextTypeIsRemovedOnlyWhileItOpensWithThisProgram)
{
    ApplyAssociation(Item(".TXT"), true, "/usr/bin/other-editor");
    ApplyAssociation(Item(".TXT"), false, "/opt/q/quillet");
    EXPECT_TRUE(ClassKey(".TXT"));
    EXPECT_TRUE(ClassKey("Text document"));

    ApplyAssociation(Item(".TXT"), true, "/opt/q/quillet");
    ApplyAssociation(Item(".TXT"), false, "/opt/q/quillet");
    EXPECT_FALSE(ClassKey(".TXT"));
    EXPECT_FALSE(ClassKey("Text document"));
}

TEST_F(Associations, SettingsRoundTripWithDefaultsForMissingValues)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Test", true));
    DialogSettings fresh;
    ReadCheckSettings(reg, fresh);
    for (size_t i = 0; i < fresh.Service.size(); ++i) EXPECT_EQ(fresh.Service[i], ServiceItems()[i].Default) << i;

    DialogSettings s;
    s.Associations[2] = true;
    s.Service = {true, false, true, false, true, false, true, false, true, false, true};
    s.EditorFontName = "Mono";
    WriteDialogSettings(reg, s);
    DialogSettings back;
    ReadCheckSettings(reg, back);
    EXPECT_EQ(back.Associations, s.Associations);
    EXPECT_EQ(back.Service, s.Service);
    EXPECT_EQ(reg.ReadString("EditorFontName"), "Mono");
    EXPECT_EQ(reg.ReadInteger("EditorSelectedColourBackground"), clActiveCaption);
}
