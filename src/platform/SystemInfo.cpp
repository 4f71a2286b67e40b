#include "platform/SystemInfo.h"

#include <QLocale>
#include <cstdlib>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

// The leading decimal digits of text from pos on ("0" when there are none); pos moves past them.
AnsiString LeadingNumber(const AnsiString &text, size_t &pos)
{
    const size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    return pos > start ? text.substr(start, pos - start) : AnsiString("0");
}

} // namespace

AnsiString SystemVersionLine()
{
    utsname u{};
    if (uname(&u) != 0) return "?";
    const AnsiString release = u.release;
    size_t pos = 0;
    const AnsiString major = LeadingNumber(release, pos);
    AnsiString minor = "0";
    if (pos < release.size() && release[pos] == '.') {
        ++pos;
        minor = LeadingNumber(release, pos);
    }
    return AnsiString(u.sysname) + " " + major + "." + minor;
}

AnsiString UserName()
{
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
    const char *user = std::getenv("USER");
    return user ? user : "";
}

AnsiString LanguageName()
{
    const QLocale locale = QLocale::system();
    // The C locale has no language of its own; its texts are English.
    if (locale.language() == QLocale::C) return "English";
    QString name = QLocale::languageToString(locale.language());
    if (locale.territory() != QLocale::AnyTerritory)
        name += " (" + QLocale::territoryToString(locale.territory()) + ")";
    return FromQ(name);
}

AnsiString NativeLanguageName()
{
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C) return "English";
    return FromQ(locale.nativeLanguageName());
}
