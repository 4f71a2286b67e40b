#include "script/SynHighlighterKAS.h"
#include "platform/TRegistry.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

const AnsiString kKey = "\\SOFTWARE\\Velmora\\Tarrowmere\\3.5\\Quillet\\v.01\\Hightlights";

// Each test has its own settings file.
class HighlighterRegistry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        path_ = FromQPath(dir_.path()) + "/registry.reg";
        const char *old = std::getenv("QUILLET_REGISTRY");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        setenv("QUILLET_REGISTRY", path_.c_str(), 1);
    }
    void TearDown() override
    {
        if (hadOld_)
            setenv("QUILLET_REGISTRY", old_.c_str(), 1);
        else
            unsetenv("QUILLET_REGISTRY");
    }
    AnsiString FileText() const
    {
        QFile f(ToQPath(path_));
        if (!f.open(QIODevice::ReadOnly)) return "";
        const QByteArray b = f.readAll();
        return AnsiString(b.constData(), size_t(b.size()));
    }
    static void WriteAttribute(const AnsiString &name, int background, int foreground, int style)
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKey + "\\" + name, true));
        reg.WriteInteger("Background", background);
        reg.WriteInteger("Foreground", foreground);
        reg.WriteInteger("Style", style);
    }

private:
    QTemporaryDir dir_;
    AnsiString path_, old_;
    bool hadOld_ = false;
};

void ExpectSameAttributes(const TSynCustomHighlighter &a, const TSynCustomHighlighter &b)
{
    ASSERT_EQ(a.AttrCount(), b.AttrCount());
    for (int i = 0; i < a.AttrCount(); ++i) {
        EXPECT_EQ(a.Attribute(i)->Foreground(), b.Attribute(i)->Foreground()) << a.Attribute(i)->Name();
        EXPECT_EQ(a.Attribute(i)->Background(), b.Attribute(i)->Background()) << a.Attribute(i)->Name();
        EXPECT_EQ(a.Attribute(i)->Style(), b.Attribute(i)->Style()) << a.Attribute(i)->Name();
    }
}

TEST_F(HighlighterRegistry, SaveAndLoadRoundTrip)
{
    TSynKASSyn saved;
    saved.Key_MagicAttri()->SetForeground(clMaroon);
    saved.Key_MagicAttri()->SetStyle(fsBold | fsUnderline);
    saved.StringAttri()->SetBackground(clInfoBk);
    saved.RemarkAttri()->SetStyle(fsItalic | fsStrikeOut);
    saved.SpaceAttri()->SetBackground(clYellow);
    ASSERT_TRUE(saved.SaveToRegistry(HKEY_LOCAL_MACHINE, kKey));

    TSynKASSyn loaded;
    int notices = 0;
    QObject::connect(&loaded, &TSynCustomHighlighter::HighlightChanged, [&] { ++notices; });
    ASSERT_TRUE(loaded.LoadFromRegistry(HKEY_LOCAL_MACHINE, kKey));
    ExpectSameAttributes(saved, loaded);
    EXPECT_EQ(notices, 1);   // the panes repaint once, not once per value

    // The layout the settings rely on: one subkey per attribute, three integers in each.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
    TStringList names;
    reg.GetKeyNames(names);
    EXPECT_EQ(names.Count(), 14);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey + "\\QUIL Warning"));
    EXPECT_EQ(reg.ReadInteger("Foreground"), clRed);
    EXPECT_EQ(std::uint32_t(reg.ReadInteger("Background")), 0x80000005u);
    EXPECT_EQ(reg.ReadInteger("Style"), 0);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey + "\\Key_Magic"));
    EXPECT_EQ(reg.ReadInteger("Foreground"), clMaroon);
    EXPECT_EQ(reg.ReadInteger("Style"), 1 + 4);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey + "\\Space"));
    EXPECT_EQ(reg.ReadInteger("Foreground"), clNone);
    const AnsiString text = FileText();
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarrowmere\\3.5\\Quillet\\v.01\\Hightlights\\Remark]\r\n"
                        "\"Background\"=dword:80000005\r\n\"Foreground\"=dword:00008000\r\n\"Style\"=dword:0000000a"),
              AnsiString::npos)
        << text;
}

TEST_F(HighlighterRegistry, LoadingStopsAtTheFirstMissingAttribute)
{
    WriteAttribute("Comment", clYellow, clAqua, fsBold);
    WriteAttribute("Identifier", clYellow, clAqua, fsItalic);   // after the missing "Remark"
    TSynKASSyn h;
    ASSERT_TRUE(h.LoadFromRegistry(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_EQ(h.CommentAttri()->Foreground(), clAqua);
    EXPECT_EQ(h.CommentAttri()->Background(), clYellow);
    EXPECT_EQ(h.CommentAttri()->Style(), fsBold);
    TSynKASSyn defaults;
    for (int i = 1; i < h.AttrCount(); ++i) {
        EXPECT_EQ(h.Attribute(i)->Foreground(), defaults.Attribute(i)->Foreground()) << i;
        EXPECT_EQ(h.Attribute(i)->Style(), defaults.Attribute(i)->Style()) << i;
    }
}

TEST_F(HighlighterRegistry, MissingKeyMissingValuesAndDamagedValues)
{
    TSynKASSyn h;
    EXPECT_FALSE(h.LoadFromRegistry(HKEY_LOCAL_MACHINE, kKey));
    ExpectSameAttributes(h, TSynKASSyn());

    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKey + "\\Comment", true));
        reg.WriteInteger("Foreground", clRed);              // no "Background", no "Style"
        ASSERT_TRUE(reg.OpenKey(kKey + "\\Remark", true));
        reg.WriteString("Foreground", "blue");              // a damaged value is passed over
        reg.WriteInteger("Background", clAqua);
        reg.WriteInteger("Style", 0xF3);                    // only the four style bits count
    }
    ASSERT_TRUE(h.LoadFromRegistry(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_EQ(h.CommentAttri()->Foreground(), clRed);
    EXPECT_EQ(h.CommentAttri()->Background(), clWindow);
    EXPECT_EQ(h.RemarkAttri()->Foreground(), clGreen);
    EXPECT_EQ(h.RemarkAttri()->Background(), clAqua);
    EXPECT_EQ(h.RemarkAttri()->Style(), fsBold | fsItalic);
    EXPECT_EQ(h.IdentifierAttri()->Foreground(), clBlack);   // no "Identifier" subkey: stop
}

} // namespace
