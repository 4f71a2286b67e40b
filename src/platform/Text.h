// 8-bit text: every byte is one character of ISO 8859-1, so documents survive any round trip.
#pragma once

#include <QString>
#include <string>
#include <string_view>

using AnsiString = std::string;

// Widget boundary: byte n <-> U+00n.
inline QString ToQ(const AnsiString &s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
// Only for text that holds nothing above U+00FF: what ToQ put into a widget, or the system's own
// texts. Anything else would become "?"; what the user types goes through CheckedFromQ.
inline AnsiString FromQ(const QString &s)
{
    const QByteArray b = s.toLatin1();
    return AnsiString(b.constData(), size_t(b.size()));
}

// Text typed by the user that becomes document bytes. A character above U+00FF has no byte in
// the documents' code: the conversion refuses the text instead of writing "?" for it.
struct TCheckedText
{
    AnsiString Text;              // the bytes; complete only when Ok()
    qsizetype RefusedAt = -1;     // index in the QString of the first character without a byte
    qsizetype RefusedLength = 0;  // 1, or 2 for a character beyond U+FFFF
    char32_t Refused = 0;         // that character
    qsizetype RefusedNumber = 0;  // its place among the characters of the text, from 1
    bool Ok() const { return RefusedAt < 0; }
};
TCheckedText CheckedFromQ(const QString &s);
// What the user is told about a refused text, naming the character and the field.
AnsiString RefusedCharacterText(const TCheckedText &checked, const AnsiString &fieldName);
// The same for text that would go into a document as it comes (typed, pasted or dropped);
// source names it, e.g. "the pasted text".
AnsiString RefusedInputText(const TCheckedText &checked, const AnsiString &source);

// Latin-1 case mapping (ÿ and ß have no upper case inside the code page; 0xF7 is the division sign).
inline unsigned char AnsiUpperChar(unsigned char c)
{
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    return c;
}
inline unsigned char AnsiLowerChar(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    return c;
}
AnsiString AnsiUpperCase(const AnsiString &s);
AnsiString AnsiLowerCase(const AnsiString &s);
// Case-insensitive comparison: <0, 0, >0.
int AnsiCompareText(std::string_view a, std::string_view b);
bool SameText(const AnsiString &a, const AnsiString &b);
AnsiString Trim(const AnsiString &s);      // removes bytes <= 0x20 at both ends
AnsiString TrimRight(const AnsiString &s);
AnsiString TrimLeft(const AnsiString &s);
AnsiString IntToStr(long long n);
// Extension with its dot, letter case kept ("" when the last path part has no dot).
AnsiString ExtractFileExt(const AnsiString &path);
AnsiString ExtractFilePath(const AnsiString &path);   // with the trailing "/"
AnsiString ExtractFileName(const AnsiString &path);

// A menu caption that shows exactly this text: "&" would otherwise mark an accelerator key.
inline QString LiteralMenuCaption(QString caption) { return caption.replace('&', QLatin1String("&&")); }

// File names are kept as the file system's own bytes; these convert at the Qt file API boundary.
QString ToQPath(const AnsiString &path);
AnsiString FromQPath(const QString &path);
// A path inside a message, which shows its text as 8-bit characters: the path's own characters,
// "?" only for one the message cannot show.
AnsiString PathInMessage(const AnsiString &path);
