// Reading fields and other input whose text becomes document bytes (see CheckedFromQ).
#pragma once

#include "platform/Text.h"
#include <QClipboard>
#include <optional>

class QComboBox;
class QLineEdit;
class QWidget;

// The field's text as document bytes. When it holds a character that documents cannot hold, the
// user is told which (a warning box owned by the field's window, with that window's caption), the
// field takes the focus with the character selected, and there is no text: the caller stops.
std::optional<AnsiString> DocumentTextOf(QLineEdit *field, const AnsiString &fieldName);
std::optional<AnsiString> DocumentTextOf(QComboBox *box, const AnsiString &fieldName);

// Text that goes into a document as it comes (typed, pasted or dropped); source names it in the
// message ("the pasted text"). When it holds a character that documents cannot hold, the user is
// told which (a warning box owned by owner's window, with that window's caption) and there is no
// text: the caller inserts nothing.
std::optional<AnsiString> DocumentTextOfInput(const QString &text, const AnsiString &source, QWidget *owner);
// The clipboard's text (or the selection's), checked as above as "the pasted text".
std::optional<AnsiString> DocumentTextOfClipboard(QWidget *owner, QClipboard::Mode mode = QClipboard::Clipboard);
