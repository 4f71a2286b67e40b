// The widget boundary: what a field holds either becomes document bytes unchanged or is refused
// with the character named; paths keep every letter.
#include "platform/FieldText.h"
#include "platform/Dialogs.h"
#include "platform/Text.h"
#include "KeyTyping.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

TEST(CheckedFromQ, KeepsEveryLatin1CharacterAndRefusesTheFirstOneBeyond)
{
    struct Case
    {
        const char *Name;
        QString Text;
        AnsiString Bytes;          // when taken
        qsizetype At, Length;      // the refused character's place in the QString; -1 when taken
        char32_t Refused;
        qsizetype Number;          // its place among the characters, from 1
    };
    const Case cases[] = {
        {"empty", QString(), "", -1, 0, 0, 0},
        {"ascii", "Why? Because.", "Why? Because.", -1, 0, 0, 0},
        {"every byte", QString::fromLatin1("\x01\t\x7F\x80\xA0\xE9\xFF", 7), AnsiString("\x01\t\x7F\x80\xA0\xE9\xFF"), -1,
         0, 0, 0},
        {"nul", QString(QChar(0)) + "a", AnsiString("\0a", 2), -1, 0, 0, 0},
        {"cyrillic", QString::fromUtf8("say я"), "", 4, 1, 0x44F, 5},
        {"first of two", QString::fromUtf8("€ and я"), "", 0, 1, 0x20AC, 1},
        {"just above", QString(QChar(0x100)), "", 0, 1, 0x100, 1},
        // A character beyond U+FFFF is two QChars but one character.
        {"beyond the plane", QString::fromUtf8("a😀b"), "", 1, 2, 0x1F600, 2},
        {"after a pair", QString::fromUtf8("😀я"), "", 0, 2, 0x1F600, 1},
        {"lone surrogate", QString(QChar(0xD800)) + "x", "", 0, 1, 0xD800, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const TCheckedText checked = CheckedFromQ(c.Text);
        EXPECT_EQ(checked.Ok(), c.At < 0);
        EXPECT_EQ(checked.RefusedAt, c.At);
        if (c.At < 0) {
            EXPECT_EQ(checked.Text, c.Bytes);
            EXPECT_EQ(ToQ(checked.Text), c.Text);
            continue;
        }
        EXPECT_EQ(checked.RefusedLength, c.Length);
        EXPECT_EQ(checked.Refused, c.Refused);
        EXPECT_EQ(checked.RefusedNumber, c.Number);
        EXPECT_TRUE(checked.Text.empty());
    }
}

TEST(CheckedFromQ, TheMessageNamesTheCharacterAndTheField)
{
    const TCheckedText checked = CheckedFromQ(QString::fromUtf8("ab я"));
    EXPECT_EQ(RefusedCharacterText(checked, "Search for"),
              "The character U+044F (character 4 of \"Search for\") cannot be used: this text is kept in the 8-bit "
              "code of the documents, which holds only the characters U+0000 to U+00FF (ISO 8859-1).");
    EXPECT_EQ(RefusedCharacterText(CheckedFromQ(QString::fromUtf8("😀")), "Title"),
              "The character U+1F600 (character 1 of \"Title\") cannot be used: this text is kept in the 8-bit "
              "code of the documents, which holds only the characters U+0000 to U+00FF (ISO 8859-1).");
}

TEST(PathConversions, KeepEveryLetterOfAPath)
{
    const QString path = QString::fromUtf8("/tmp/dé/я/tool.sh");
    const AnsiString bytes = FromQPath(path);
    EXPECT_EQ(bytes, "/tmp/d\xC3\xA9/\xD1\x8F/tool.sh");
    EXPECT_EQ(ToQPath(bytes), path);
    // A message shows its text as 8-bit characters: é as é, what it cannot show as "?".
    EXPECT_EQ(PathInMessage(bytes), "/tmp/d\xE9/?/tool.sh");
    EXPECT_EQ(PathInMessage("none/kas_help/index.htm"), "none/kas_help/index.htm");
}

// A field typed into with real keys: the text is taken as typed, or refused with a box that
// names the character, the field keeping the focus with that character selected.
TEST(DocumentTextOf, TakesTypedTextOrTellsTheUserWhichCharacterCannotBeUsed)
{
    QWidget window;
    window.setWindowTitle("Search Text");
    auto *layout = new QVBoxLayout(&window);
    auto *field = new QLineEdit;
    auto *box = new QComboBox;
    box->setEditable(true);
    auto *other = new QLineEdit;
    layout->addWidget(field);
    layout->addWidget(box);
    layout->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    MessageBoxRecorder boxes;
    field->setFocus();
    TypeKeys(field, QString::fromUtf8("café"));
    EXPECT_EQ(DocumentTextOf(field, "Search for"), std::optional<AnsiString>("caf\xE9"));
    EXPECT_TRUE(boxes.Calls.empty());

    const struct
    {
        const char *Name;
        QWidget *Typed;
        QLineEdit *Edit;
    } cases[] = {{"line edit", field, field}, {"combo box", box, box->lineEdit()}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        boxes.Calls.clear();
        c.Edit->clear();
        c.Typed->setFocus();
        TypeKeys(c.Typed, QString::fromUtf8("say я!"));
        other->setFocus();
        const std::optional<AnsiString> text =
            c.Edit == field ? DocumentTextOf(field, "Search for") : DocumentTextOf(box, "Search for");
        EXPECT_FALSE(text.has_value());
        ASSERT_EQ(boxes.Calls.size(), 1u);
        EXPECT_EQ(boxes.Calls[0].Text, RefusedCharacterText(CheckedFromQ(QString::fromUtf8("say я")), "Search for"));
        EXPECT_EQ(boxes.Calls[0].Caption, "Search Text");
        EXPECT_EQ(boxes.Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(boxes.Calls[0].Owner, &window);
        EXPECT_EQ(c.Edit->text(), QString::fromUtf8("say я!"));   // the field keeps what was typed
        EXPECT_EQ(c.Edit->selectedText(), QString::fromUtf8("я"));
        EXPECT_TRUE(c.Typed->hasFocus());
    }
}

} // namespace
