// The script converter: the conversion of one script's bytes, the operator scan, and the dialog
// converting a folder of fixture scripts.
#include "shell/DocumentTestSupport.h"

#include "common/Utils.h"
#include "platform/ToolBar.h"
#include "script/KASFileConverter.h"
#include "script/ScriptConverter.h"
#include "shell/Main.h"
#include "textres/TextScanner.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

AnsiString FixtureBytes(const AnsiString &name)
{
    return ReadFileBytes(AnsiString(QUILLET_FIXTURES) + "/scriptinfo/convert/" + name);
}

ConvertOptions Options(bool optimize, bool onePerLine, bool deleteTags)
{
    ConvertOptions o;
    o.Optimize = optimize;
    o.OneOperatorPerLine = onePerLine;
    o.DeleteTags = deleteTags;
    o.PoweredByValue = "P";
    o.DateValue = "D";
    return o;
}

// ops.kas after the tag refresh, with optimisation off.
const char OpsPlain[] = "// header comment\n// JOTE converter fixture\nQUIL_PoweredBy=P\nQUIL_ScriptName=Ops\n"
                        "QUIL_ScriptDate=D\nQUIL_AdditionalFiles=ops.kat\n"
                        "// a comment with ! mark and !x not an operator\n!$ SET v1 = 1;  // trailing comment\n \n"
                        "!# IF v1 = 1\n   THEN !? x;\n!!done;\n\r";

TEST(ConvertScript, FixtureScriptsByOption)
{
    struct Case
    {
        const char *File;
        bool Optimize, OnePerLine, DeleteTags;
        AnsiString Expected;
    };
    const Case cases[] = {
        {"ops.kas", false, true, false, OpsPlain},
        {"ops.kas", true, true, false,
         "JOTE\nQUIL_PoweredBy=P\nQUIL_ScriptName=Ops\nQUIL_ScriptDate=D\n!$ SET v1 = 1;\n!# IF v1 = 1\n   THEN !? x;\n"
         "!!done;\n\r"},
        {"ops.kas", true, false, false,
         "JOTE\nQUIL_PoweredBy=P\nQUIL_ScriptName=Ops\nQUIL_ScriptDate=D\n!$ SET v1 = 1;!# IF v1 = 1\n   THEN !? x;"
         "!!done;\n\r"},
        {"ops.kas", true, true, true, "JOTE\n!$ SET v1 = 1;\n!# IF v1 = 1\n   THEN !? x;\n!!done;\n\r"},
        {"ops.kas", true, false, true, "JOTE!$ SET v1 = 1;!# IF v1 = 1\n   THEN !? x;!!done;\n\r"},
        {"nojote.kas", false, true, false, "QUIL_PoweredBy=P\njust text\n!$ a;\n\r"},
        {"nojote.kas", true, true, false, "\n\r"},
        // An operator without a closing ";" takes the rest of the text; characters from 128 on stay at the end.
        {"open_op.kas", true, true, false, "JOTE\nQUIL_PoweredBy=P\n!$ first;\n!? never closed\n  tail \xE9\n\r"},
        {"open_op.kas", false, true, false, "JOTE\nQUIL_PoweredBy=P\n!$ first;\n// c\n!? never closed\n  tail \xE9\n\r"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ConvertScriptBytes(FixtureBytes(c.File), Options(c.Optimize, c.OnePerLine, c.DeleteTags)), c.Expected)
            << c.File << " " << c.Optimize << c.OnePerLine << c.DeleteTags;
}

TEST(ConvertScript, TagRefresh)
{
    struct Case
    {
        const char *Text;
        bool PoweredBy;
        const char *Expected;
    };
    const Case cases[] = {
        {"a\r\nJOTE\r\nb\r\n", true, "a\nJOTE\nQUIL_PoweredBy=P\nb\n\r"},
        {"JOTE\r\nquil_poweredby=old\r\n", true, "JOTE\nQUIL_PoweredBy=P\n\r"},
        {"JOTE\r\nQUIL_ScriptDate=\r\n", true, "JOTE\nQUIL_PoweredBy=P\nQUIL_ScriptDate=\n\r"},   // an empty date stays
        {"JOTE\r\nAUTO_ScriptDate=1.1.2000\r\n", false, "JOTE\nQUIL_ScriptDate=D\n\r"},
        {"JOTE\r\nAUTO_Other=x\r\n", false, "JOTE\nAUTO_Other=x\n\r"},
        {"", true, "QUIL_PoweredBy=P\n\r"},
        {"", false, "\n\r"},
        {"JOTE \t\x01\x1F\r\n\r\n \t", false, "JOTE\n\r"},
    };
    for (const Case &c : cases) {
        ConvertOptions o = Options(false, true, false);
        o.WritePoweredBy = c.PoweredBy;
        EXPECT_EQ(ConvertScriptBytes(c.Text, o), c.Expected) << c.Text;
    }
}

// Operators at the very end of the text, with or without their ";", end the scan.
TEST(ConvertScript, OperatorScanEndsAtTheEndOfTheText)
{
    const std::pair<const char *, const char *> cases[] = {
        {"JOTE", "JOTE"},
        {"JOTE !", "JOTE"},
        {"JOTE !$", "JOTE\n!$\r\n"},   // the rest of the text, line break included
        {"JOTE !!", "JOTE\n!!\r\n"},
        {"JOTE !?;", "JOTE\n!?;"},
        {"JOTE !x!$a;!", "JOTE\n!$a;"},
        {"JOTE !$a;!#b", "JOTE\n!$a;\n!#b\r\n"},
        {"JOTE !# no end ; !$ x", "JOTE\n!# no end ;\n!$ x\r\n"},
        {"x JOTE !$a; JOTE !$b;", "JOTE\n!$a;\n!$b;"},
    };
    for (const auto &[text, expected] : cases) {
        TStringList lines;
        lines.SetText(text);
        EXPECT_EQ(CompactScript(lines, true, true), expected) << text;
    }
}

static std::vector<AnsiString> ScannedTexts(const AnsiString &text)
{
    std::vector<AnsiString> texts;
    for (const FoundText &found : ScanTexts(text).Texts) texts.push_back(found.Text);
    return texts;
}

// A ";" between the carets of a text is part of the text: the operator ends at the first ";"
// outside one. A caret outside an operator is an ordinary character; one that never closes takes
// the rest of the text into the operator.
TEST(ConvertScript, AnOperatorEndsAtTheFirstSemicolonOutsideItsTexts)
{
    const struct
    {
        const char *Text;
        bool OnePerLine;
        const char *Expected;
    } cases[] = {
        {"JOTE\r\n!!IF:M^hi; there^;\r\n", true, "JOTE\n!!IF:M^hi; there^;"},
        {"JOTE\r\n!!IF:M^hi; there^;\r\n", false, "JOTE!!IF:M^hi; there^;"},
        {"JOTE !!VR:S^a;b^; ; !!IF:M^;^;", true, "JOTE\n!!VR:S^a;b^;\n!!IF:M^;^;"},
        {"JOTE !!VR:S^a;b^; ; !!IF:M^;^;", false, "JOTE!!VR:S^a;b^;!!IF:M^;^;"},
        {"JOTE !!IF:M^a^; dropped ^b; !$ x;", true, "JOTE\n!!IF:M^a^;\n!$ x;"},
        {"JOTE ^x; !!VR:S^y^;", true, "JOTE\n!!VR:S^y^;"},
        {"JOTE !!IF:M^two;\r\nlines^; // c\r\n!?x;", true, "JOTE\n!!IF:M^two;\r\nlines^;\n!?x;"},
        {"JOTE !!IF:M^a!!b; c^;", true, "JOTE\n!!IF:M^a!!b; c^;"},
        {"JOTE !!VR:S!!IF:M^a;^;!$b;", true, "JOTE\n!!VR:S!!IF:M^a;^;\n!$b;"},
        {"JOTE !!IF:M^x^^y;z^; !$b;", true, "JOTE\n!!IF:M^x^^y;z^;\n!$b;"},
        {"JOTE !!IF:M^open; !$b;\r\n// c", true, "JOTE\n!!IF:M^open; !$b;\r\n// c\r\n"},
    };
    for (const auto &c : cases) {
        TStringList lines;
        lines.SetText(c.Text);
        const AnsiString compact = CompactScript(lines, true, c.OnePerLine);
        EXPECT_EQ(compact, c.Expected) << c.Text << " " << c.OnePerLine;
        // The text scanner finds the same texts in the kept operators as in the script.
        const AnsiString text = lines.Text();
        EXPECT_EQ(ScannedTexts(text.substr(text.find("JOTE") + 4)), ScannedTexts(compact.substr(4))) << c.Text;
    }
    // The whole conversion, tags kept.
    EXPECT_EQ(ConvertScriptBytes("JOTE\r\n!!IF:M^hi; there^;\r\n", Options(true, true, false)),
              "JOTE\nQUIL_PoweredBy=P\n!!IF:M^hi; there^;\n\r");
}

// The dialog over a copy of the fixture folder.
class Converter : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        Source = Root + "/src";
        Target = Root + "/out";
        QDir().mkpath(ToQPath(Source));
        for (const char *name : {"nojote.kas", "ops.kas", "open_op.kas", "readme.txt"})
            WriteBytes(Source + "/" + name, FixtureBytes(name));
    }

    std::unique_ptr<TForm_ReConvertKAS> Dialog()
    {
        auto dialog = std::make_unique<TForm_ReConvertKAS>(Form);
        dialog->SetDirectory(Source);
        dialog->Edit4->setText(ToQPath(Target));
        return dialog;
    }

    static std::vector<AnsiString> Entries(const QListWidget *list)
    {
        std::vector<AnsiString> names;
        for (int i = 0; i < list->count(); ++i) names.push_back(FromQ(list->item(i)->text()));
        return names;
    }

    static AnsiString Expected(const AnsiString &fixtureOutput)
    {
        // The dialog writes the program's version and today's short date.
        AnsiString text = fixtureOutput;
        const AnsiString powered =
            "Quillet v. " + GetFileVersionText(FromQPath(QCoreApplication::applicationFilePath()));
        for (const auto &[from, to] : {std::pair<AnsiString, AnsiString>{"=P\n", "=" + powered + "\n"},
                                       std::pair<AnsiString, AnsiString>{"=D\n", "=" + ShortDateText() + "\n"}})
            if (const size_t at = text.find(from); at != AnsiString::npos) text.replace(at, from.size(), to);
        return text;
    }

    AnsiString Source, Target;
};

TEST_F(Converter, ConvertsTheSelectedScriptsIntoAnotherFolder)
{
    auto dialog = Dialog();
    EXPECT_EQ(dialog->windowTitle(), "KAS file converter");
    EXPECT_EQ(Entries(dialog->FileListBox1), (std::vector<AnsiString>{"nojote.kas", "open_op.kas", "ops.kas"}));
    EXPECT_FALSE(dialog->ToolButton2->Enabled());
    EXPECT_EQ(FromQ(dialog->Label10->text()), "- - -");
    EXPECT_FALSE(dialog->CheckBox1->isChecked());
    EXPECT_FALSE(dialog->CheckListBox1->isEnabled());

    dialog->SelectAll1Click();
    EXPECT_TRUE(dialog->ToolButton2->Enabled());
    dialog->ToolButton2Click();

    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Done! 3 files were converted.");
    EXPECT_EQ(Boxes->Calls[0].Caption, "KAS file converter");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(ReadFileBytes(Target + "/ops.kas"), Expected(OpsPlain));
    EXPECT_EQ(ReadFileBytes(Target + "/nojote.kas"), Expected("QUIL_PoweredBy=P\njust text\n!$ a;\n\r"));
    EXPECT_FALSE(QFile::exists(ToQPath(Target + "/readme.txt")));
    for (const char *name : {"nojote.kas", "ops.kas", "open_op.kas", "readme.txt"})
        EXPECT_EQ(ReadFileBytes(Source + "/" + name), FixtureBytes(name)) << name;
    // Everything is deselected afterwards.
    EXPECT_TRUE(dialog->FileListBox1->selectedItems().isEmpty());
    EXPECT_FALSE(dialog->ToolButton2->Enabled());
    EXPECT_TRUE(dialog->Panel2->isHidden());
}

TEST_F(Converter, OptimisationOptions)
{
    struct Case
    {
        bool OnePerLine, DeleteTags;
        AnsiString Expected;
    };
    const Case cases[] = {
        {true, false,
         "JOTE\nQUIL_PoweredBy=P\nQUIL_ScriptName=Ops\nQUIL_ScriptDate=D\n!$ SET v1 = 1;\n!# IF v1 = 1\n   THEN !? x;\n!!done;\n\r"},
        {false, true, "JOTE!$ SET v1 = 1;!# IF v1 = 1\n   THEN !? x;!!done;\n\r"},
    };
    for (const Case &c : cases) {
        auto dialog = Dialog();
        dialog->CheckBox1->setChecked(true);
        EXPECT_TRUE(dialog->CheckListBox1->isEnabled());
        EXPECT_EQ(dialog->CheckListBox1->item(0)->checkState(), Qt::Checked);
        dialog->CheckListBox1->item(0)->setCheckState(c.OnePerLine ? Qt::Checked : Qt::Unchecked);
        dialog->CheckListBox1->item(1)->setCheckState(c.DeleteTags ? Qt::Checked : Qt::Unchecked);
        dialog->FileListBox1->item(2)->setSelected(true);   // ops.kas
        dialog->ToolButton2Click();
        EXPECT_EQ(ReadFileBytes(Target + "/ops.kas"), Expected(c.Expected));
        EXPECT_FALSE(QFile::exists(ToQPath(Target + "/nojote.kas")));
    }
    ASSERT_EQ(Boxes->Calls.size(), 2u);
    EXPECT_EQ(Boxes->Calls[1].Text, "Done! 1 files were converted.");
}

TEST_F(Converter, WithoutPoweredByTheScriptGetsNoSuchLine)
{
    WithKey(ProductKey, [](TRegistry &reg) { reg.WriteBool("WritePoweredBy", false); });
    auto dialog = Dialog();
    dialog->FileListBox1->item(0)->setSelected(true);   // nojote.kas
    dialog->ToolButton2Click();
    EXPECT_EQ(ReadFileBytes(Target + "/nojote.kas"), "just text\n!$ a;\n\r");
}

TEST_F(Converter, ConvertingInPlaceReplacesEachFileWhole)
{
    auto dialog = Dialog();
    dialog->Edit4->setText(ToQPath(Source));
    dialog->SelectAll1Click();
    dialog->ToolButton2Click();
    EXPECT_EQ(ReadFileBytes(Source + "/ops.kas"), Expected(OpsPlain));
    EXPECT_EQ(Entries(dialog->FileListBox1).size(), 3u);
    EXPECT_EQ(QDir(ToQPath(Source)).entryList(QDir::Files).size(), 4);   // no temporary file left
}

TEST_F(Converter, UnreadableAndReadOnlyFilesAreReportedAndTheBatchGoesOn)
{
    QDir().mkpath(ToQPath(Target));
    WriteBytes(Target + "/ops.kas", "old");
    QFile::setPermissions(ToQPath(Target + "/ops.kas"), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(ToQPath(Source + "/nojote.kas"), QFileDevice::WriteOwner);
    OpenToEveryone(Root);
    OpenToEveryone(Source);
    QFile::setPermissions(ToQPath(Target), QFileDevice::Permissions(0x7777));   // writable by the other user
    QFile::setPermissions(ToQPath(SettingsFile), QFileDevice::Permissions(0x6644));
    auto dialog = Dialog();
    dialog->SelectAll1Click();
    {
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        dialog->ToolButton2Click();
    }
    ASSERT_EQ(Boxes->Calls.size(), 2u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Error at opening the file \"" + Target + "/ops.kas\"!");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(Boxes->Calls[1].Text, "Done! 1 files were converted.\r\n\r\nThese files were not converted:\r\n" + Source +
                                        "/nojote.kas (cannot be read)\r\n" + Target + "/ops.kas (cannot be written)");
    EXPECT_EQ(Boxes->Calls[1].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(ReadFileBytes(Target + "/ops.kas"), "old");
    EXPECT_EQ(ReadFileBytes(Target + "/open_op.kas"),
              Expected("JOTE\nQUIL_PoweredBy=P\n!$ first;\n// c\n!? never closed\n  tail \xE9\n\r"));
}

TEST_F(Converter, AShortWriteLeavesTheTargetAsItWas)
{
    QDir().mkpath(ToQPath(Target));
    WriteBytes(Target + "/ops.kas", "old");
    auto dialog = Dialog();
    dialog->FileListBox1->item(2)->setSelected(true);
    {
        FileSizeLimit limit(10);
        dialog->ToolButton2Click();
    }
    ASSERT_EQ(Boxes->Calls.size(), 2u);
    const AnsiString length = IntToStr((long long)Expected(OpsPlain).size());
    EXPECT_EQ(Boxes->Calls[0].Text, "Error writing to the file (" + length + "/0); file: \"KA_F_C\", line: 262.");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(ReadFileBytes(Target + "/ops.kas"), "old");
}

TEST_F(Converter, ADestinationThatCannotBeMadeStopsTheRun)
{
    auto dialog = Dialog();
    const AnsiString deep = Root + "/no/such";
    dialog->Edit4->setText(ToQPath(deep));
    dialog->SelectAll1Click();
    dialog->ToolButton2Click();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Cannot create \"" + deep + "\" directory.");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(dialog->FileListBox1->selectedItems().size(), 3);
}

TEST_F(Converter, FoldersAreRememberedAndTheDestinationFollowsTheSource)
{
    QDir().mkpath(ToQPath(Target));
    {
        auto dialog = Dialog();
        dialog->reject();
    }
    auto dialog = std::make_unique<TForm_ReConvertKAS>(Form);
    EXPECT_EQ(dialog->Directory(), Source);
    EXPECT_EQ(FromQ(dialog->Edit4->text()), Target);
    dialog->SetDirectory(Root);
    EXPECT_EQ(FromQ(dialog->Edit4->text()), Root);

    // Browsing takes the chosen folder; Cancel keeps the field.
    SetSelectDirectoryResponder([&](const SelectDirectoryCall &call, AnsiString &dir) {
        EXPECT_EQ(call.Caption, "Select destination directory:");
        dir = Target;
        return true;
    });
    dialog->ToolButton16Click();
    SetSelectDirectoryResponder(nullptr);
    EXPECT_EQ(FromQ(dialog->Edit4->text()), Target);
}

// Folders whose names have a letter beyond ASCII: shown by their own names, converted into,
// and remembered.
TEST_F(Converter, FoldersNamedWithAnAccentAreShownConvertedIntoAndRemembered)
{
    Source = Root + "/d\xC3\xA9/src";
    Target = Root + "/d\xC3\xA9/out";
    QDir().mkpath(ToQPath(Source));
    WriteBytes(Source + "/ops.kas", FixtureBytes("ops.kas"));
    {
        auto dialog = Dialog();
        EXPECT_EQ(dialog->Directory(), Source);
        EXPECT_EQ(dialog->Edit4->text(), QString::fromUtf8("%1/dé/out").arg(ToQPath(Root)));
        EXPECT_EQ(Entries(dialog->FileListBox1), (std::vector<AnsiString>{"ops.kas"}));
        dialog->SelectAll1Click();
        dialog->ToolButton2Click();
        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text, "Done! 1 files were converted.");
        EXPECT_EQ(ReadFileBytes(Target + "/ops.kas"), Expected(OpsPlain));
        dialog->reject();
    }
    auto dialog = std::make_unique<TForm_ReConvertKAS>(Form);
    EXPECT_EQ(dialog->Directory(), Source);
    EXPECT_EQ(FromQPath(dialog->Edit4->text()), Target);
}

TEST_F(Converter, KeysAndSelection)
{
    auto dialog = Dialog();
    dialog->FormKeyDown(Qt::Key_Return);   // nothing selected: nothing runs
    EXPECT_TRUE(Boxes->Calls.empty());
    dialog->FileListBox1->setCurrentRow(2);
    EXPECT_TRUE(dialog->ToolButton2->Enabled());
    EXPECT_EQ(FromQ(dialog->Label10->text()).rfind("Date, time: ", 0), 0u);
    EXPECT_NE(FromQ(dialog->Label10->text()).find("; size: 261 byte."), AnsiString::npos);
    dialog->Invertselection1Click();
    EXPECT_EQ(dialog->FileListBox1->selectedItems().size(), 2);
    dialog->FormKeyDown(Qt::Key_Return);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Done! 2 files were converted.");
    EXPECT_FALSE(QFile::exists(ToQPath(Target + "/ops.kas")));
}

// Converting over the sources asks once, before anything is written, with No as the default;
// No writes nothing. Converting into another folder asks nothing.
TEST_F(Converter, ReplacingTheSourcesAsksFirst)
{
    const AnsiString link = Root + "/link";
    ASSERT_TRUE(QFile::link(ToQPath(Source), ToQPath(link)));
    const AnsiString question = "The source scripts will be replaced by their converted copies. Go on?";
    const AnsiString done = "Done! 3 files were converted.";
    const struct
    {
        const char *Name;
        AnsiString Destination;
        std::vector<int> Answers;
        std::vector<AnsiString> Boxes;
        bool Converted;
    } cases[] = {
        {"the source folder, No", Source, {IDNO}, {question}, false},
        {"the source folder, Yes", Source, {IDYES}, {question, done}, true},
        {"a link to the source folder, No", link + "/", {IDNO}, {question}, false},
        {"another folder", Target, {}, {done}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        for (const char *name : {"nojote.kas", "ops.kas", "open_op.kas"})
            WriteBytes(Source + "/" + name, FixtureBytes(name));
        QDir(ToQPath(Target)).removeRecursively();
        Boxes->Calls.clear();
        Boxes->Answers = c.Answers;
        auto dialog = Dialog();
        dialog->Edit4->setText(ToQPath(c.Destination));
        dialog->show();
        QTest::keyClick(dialog->FileListBox1, Qt::Key_A, Qt::ControlModifier);
        ASSERT_TRUE(dialog->ToolButton2->isEnabled());
        QTest::mouseClick(dialog->ToolButton2, Qt::LeftButton);

        std::vector<AnsiString> texts;
        for (const MessageBoxCall &call : Boxes->Calls) texts.push_back(call.Text);
        EXPECT_EQ(texts, c.Boxes);
        if (texts.size() > 1) {
            EXPECT_EQ(Boxes->Calls[0].Caption, "KAS file converter");
            EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        }
        const AnsiString written = c.Destination == Target ? Target : Source;
        EXPECT_EQ(ReadFileBytes(written + "/ops.kas") == FixtureBytes("ops.kas"), !c.Converted);
        EXPECT_EQ(QDir(ToQPath(Source)).entryList(QDir::Files).size(), 4);
        // After No the choice stays, to convert elsewhere.
        EXPECT_EQ(dialog->ToolButton2->isEnabled(), !c.Converted);
    }
}

TEST_F(Converter, TheActionShowsTheDialog)
{
    ModalRecorder modal([](QDialog *) { return int(mrCancel); });
    EXPECT_TRUE(Form->KASFCAction1->Execute());
    EXPECT_EQ(modal.ClassNames, std::vector<AnsiString>{"TForm_ReConvertKAS"});
}

} // namespace
