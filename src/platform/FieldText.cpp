#include "platform/FieldText.h"

#include "platform/Dialogs.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>

namespace {

void TellRefused(QWidget *field, const TCheckedText &checked, const AnsiString &fieldName)
{
    QWidget *window = field->window();
    MessageBox(window, RefusedCharacterText(checked, fieldName), FromQ(window->windowTitle()), MB_OK | MB_ICONWARNING);
    field->setFocus();
}

} // namespace

std::optional<AnsiString> DocumentTextOf(QLineEdit *field, const AnsiString &fieldName)
{
    const TCheckedText checked = CheckedFromQ(field->text());
    if (checked.Ok()) return checked.Text;
    TellRefused(field, checked, fieldName);
    field->setSelection(int(checked.RefusedAt), int(checked.RefusedLength));
    return std::nullopt;
}

std::optional<AnsiString> DocumentTextOf(QComboBox *box, const AnsiString &fieldName)
{
    if (QLineEdit *field = box->lineEdit()) return DocumentTextOf(field, fieldName);
    const TCheckedText checked = CheckedFromQ(box->currentText());
    if (checked.Ok()) return checked.Text;
    TellRefused(box, checked, fieldName);
    return std::nullopt;
}

std::optional<AnsiString> DocumentTextOfInput(const QString &text, const AnsiString &source, QWidget *owner)
{
    const TCheckedText checked = CheckedFromQ(text);
    if (checked.Ok()) return checked.Text;
    QWidget *window = owner ? owner->window() : nullptr;
    MessageBox(window, RefusedInputText(checked, source), window ? FromQ(window->windowTitle()) : "Quillet",
               MB_OK | MB_ICONWARNING);
    return std::nullopt;
}

std::optional<AnsiString> DocumentTextOfClipboard(QWidget *owner, QClipboard::Mode mode)
{
    return DocumentTextOfInput(QGuiApplication::clipboard()->text(mode), "the pasted text", owner);
}
