#include "platform/Text.h"

AnsiString AnsiUpperCase(const AnsiString &s)
{
    AnsiString r(s);
    for (char &c : r) c = char(AnsiUpperChar((unsigned char)c));
    return r;
}

AnsiString AnsiLowerCase(const AnsiString &s)
{
    AnsiString r(s);
    for (char &c : r) c = char(AnsiLowerChar((unsigned char)c));
    return r;
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = AnsiUpperChar((unsigned char)a[i]);
        const int cb = AnsiUpperChar((unsigned char)b[i]);
        if (ca != cb) return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SameText(const AnsiString &a, const AnsiString &b)
{
    return a.size() == b.size() && AnsiCompareText(a, b) == 0;
}

AnsiString TrimLeft(const AnsiString &s)
{
    size_t i = 0;
    while (i < s.size() && (unsigned char)s[i] <= ' ') ++i;
    return s.substr(i);
}

AnsiString TrimRight(const AnsiString &s)
{
    size_t n = s.size();
    while (n > 0 && (unsigned char)s[n - 1] <= ' ') --n;
    return s.substr(0, n);
}

AnsiString Trim(const AnsiString &s) { return TrimLeft(TrimRight(s)); }

AnsiString IntToStr(long long n) { return std::to_string(n); }

AnsiString ExtractFileName(const AnsiString &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == AnsiString::npos ? path : path.substr(slash + 1);
}

AnsiString ExtractFilePath(const AnsiString &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == AnsiString::npos ? AnsiString() : path.substr(0, slash + 1);
}

AnsiString ExtractFileExt(const AnsiString &path)
{
    const AnsiString name = ExtractFileName(path);
    const size_t dot = name.find_last_of('.');
    return dot == AnsiString::npos ? AnsiString() : name.substr(dot);
}

#include <QFile>
#include <cstdio>

QString ToQPath(const AnsiString &path)
{
    return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

AnsiString FromQPath(const QString &path)
{
    const QByteArray b = QFile::encodeName(path);
    return AnsiString(b.constData(), size_t(b.size()));
}

AnsiString PathInMessage(const AnsiString &path) { return FromQ(ToQPath(path)); }

TCheckedText CheckedFromQ(const QString &s)
{
    TCheckedText result;
    result.Text.reserve(size_t(s.size()));
    qsizetype number = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        ++number;
        const char16_t c = s[i].unicode();
        if (c < 0x100) {
            result.Text += char(c);
            continue;
        }
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode());
        result.RefusedAt = i;
        result.RefusedLength = pair ? 2 : 1;
        result.Refused = pair ? QChar::surrogateToUcs4(c, s[i + 1].unicode()) : char32_t(c);
        result.RefusedNumber = number;
        result.Text.clear();
        return result;
    }
    return result;
}

namespace {

AnsiString CodePointText(char32_t c)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", unsigned(c));
    return buffer;
}

AnsiString RefusedIn(const TCheckedText &checked, const AnsiString &textName)
{
    return "The character " + CodePointText(checked.Refused) + " (character " + IntToStr(checked.RefusedNumber) +
           " of " + textName + ") cannot be used: this text is kept in the 8-bit code of the documents, "
           "which holds only the characters U+0000 to U+00FF (ISO 8859-1).";
}

} // namespace

AnsiString RefusedCharacterText(const TCheckedText &checked, const AnsiString &fieldName)
{
    return RefusedIn(checked, "\"" + fieldName + "\"");
}

AnsiString RefusedInputText(const TCheckedText &checked, const AnsiString &source)
{
    return RefusedIn(checked, source);
}
