// Facts about the operating system, the user and the locale.
#pragma once

#include "platform/Text.h"

// The system's name and its version as major.minor, from uname: "Linux 6.1".
AnsiString SystemVersionLine();
// The name of the logged-on user ("" when the system knows none).
AnsiString UserName();
// The English name of the user's language with its country, "English (United States)".
AnsiString LanguageName();
// The system language's name in that language, "Deutsch".
AnsiString NativeLanguageName();
