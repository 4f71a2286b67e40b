// Reading fields whose text becomes document bytes (see CheckedFromQ).
#pragma once

#include "platform/Text.h"
#include <optional>

class QComboBox;
class QLineEdit;

// The field's text as document bytes. When it holds a character that documents cannot hold, the
// user is told which (a warning box owned by the field's window, with that window's caption), the
// field takes the focus with the character selected, and there is no text: the caller stops.
std::optional<AnsiString> DocumentTextOf(QLineEdit *field, const AnsiString &fieldName);
std::optional<AnsiString> DocumentTextOf(QComboBox *box, const AnsiString &fieldName);
