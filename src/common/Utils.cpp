#include "common/Utils.h"

#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/SystemInfo.h"
#include "platform/TRegistry.h"
#include "platform/VersionInfo.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <set>
#include <unistd.h>
#include <unordered_map>

void SplitToStrings(const AnsiString &text, char separator, TStringList &list)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(separator, pos);
        if (end == AnsiString::npos) end = text.size();
        if (end == pos) break;   // an empty item ends the split
        list.Add(text.substr(pos, end - pos));
        pos = end + 1;
    }
}

AnsiString GetFileVersionText(const AnsiString &fileName) { return FileVersionText(fileName); }

bool IsNumber(const AnsiString &text, bool allowMinus)
{
    if (text.empty()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') continue;
        if (i == 0 && allowMinus && text[i] == '-') continue;
        return false;
    }
    return true;
}

void RegisterFileType(const AnsiString &extension, const AnsiString &typeName, const AnsiString &description,
                      const AnsiString &iconFile, int iconIndex, const AnsiString &programPath)
{
    TRegistry reg;
    reg.RootKey = HKEY_CLASSES_ROOT;
    const AnsiString extKey = "\\" + extension;
    const AnsiString typeKey = "\\" + typeName;

    reg.DeleteKey(extKey);
    reg.OpenKey(extKey, true);
    reg.WriteString("", typeName);
    reg.CloseKey();

    reg.DeleteKey(typeKey);
    reg.OpenKey(typeKey, true);
    reg.WriteString("", description);
    reg.OpenKey("DefaultIcon", true);
    reg.WriteString("", iconFile + "," + IntToText(iconIndex));
    reg.CloseKey();

    reg.OpenKey(typeKey, true);
    reg.OpenKey("shell\\Open\\command", true);
    reg.WriteString("", "\"" + programPath + "\" \"%1\"");
    reg.CloseKey();
}

void UnregisterFileType(const AnsiString &extension, const AnsiString &typeName)
{
    TRegistry reg;
    reg.RootKey = HKEY_CLASSES_ROOT;
    for (const AnsiString &key : {"\\" + extension, "\\" + typeName})
        if (reg.KeyExists(key)) reg.DeleteKey(key);
}

bool PathExists(const AnsiString &path)
{
    return !path.empty() && QFileInfo::exists(ToQPath(path));
}

namespace {

AnsiString LogHeader()
{
    const AnsiString now = FromQ(QDateTime::currentDateTime().toString("dd.MM.yyyy HH:mm:ss"));
    const AnsiString program = FromQPath(QCoreApplication::applicationFilePath());
    return now + "\r\n" + SystemVersionLine() + "\r\n" + "Quillet v. " + GetFileVersionText(program) + "\r\n";
}

// Log files that could not be written. The user is told once, with the reason; the later lines
// are left out, since a message per line would say the same again (the start-up writes dozens).
std::set<AnsiString> &LogsGivenUp()
{
    static std::set<AnsiString> names;
    return names;
}

} // namespace

void AppendToLogFile(const AnsiString &text, const AnsiString &fileName)
{
    if (LogsGivenUp().count(fileName)) return;
    const int fd = ::open(fileName.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const AnsiString reason = std::strerror(errno);
        LogsGivenUp().insert(fileName);
        MessageBox(nullptr, WithReason("Error at opening file \"" + PathInMessage(fileName) + "\"", reason), "Error!",
                   MB_OK | MB_ICONERROR);
        return;
    }
    struct stat st {};
    const bool empty = ::fstat(fd, &st) == 0 && st.st_size == 0;
    const AnsiString piece = (empty ? LogHeader() : AnsiString("\r\n")) + text;
    ssize_t written = 0;
    do {
        written = ::write(fd, piece.data(), piece.size());
    } while (written < 0 && errno == EINTR);
    const AnsiString reason = written < 0 ? AnsiString(std::strerror(errno)) : AnsiString();
    if (written < 0) written = 0;
    ::close(fd);
    if (size_t(written) < piece.size()) {
        LogsGivenUp().insert(fileName);
        MessageBox(nullptr,
                   WithReason("Error writing to the file (" + IntToText(int(piece.size())) + "/" +
                                  IntToText(int(written)) + ") \"" + PathInMessage(fileName) + "\".",
                              reason),
                   "Warning!", MB_OK | MB_ICONWARNING);
    }
}

AnsiString IntToText(int n) { return std::to_string(n); }

AnsiString ReplaceLineBreaks(const AnsiString &text, char c)
{
    AnsiString r;
    r.reserve(text.size());
    for (const char ch : text) {
        if (ch == '\r') continue;
        r += ch == '\n' ? c : ch;
    }
    return r;
}

void AddCommonItems(const TStringList &a, const TStringList &b, TStringList &output)
{
    // Counting b's items once keeps the work linear; the order of the adds stays that of a.
    std::unordered_map<AnsiString, int> inB;
    for (const AnsiString &y : b) ++inB[y];
    for (const AnsiString &x : a) {
        const auto it = inB.find(x);
        if (it == inB.end()) continue;
        for (int i = 0; i < it->second; ++i) output.Add(x);
    }
}

namespace {

// The class library's text-to-integer conversion for a text of digits.
int DigitsToInt(const AnsiString &digits)
{
    long long value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
        if (value > INT_MAX) throw EConvertError("'" + digits + "' is not a valid integer value");
    }
    return int(value);
}

} // namespace

AnsiString ExpandNumberRange(const AnsiString &text, int prefixLength)
{
    const size_t p = size_t(std::max(prefixLength, 0));
    const size_t dash = text.find('-');
    // At least one character between the prefix and the dash, and one after it.
    if (dash == AnsiString::npos || dash <= p || dash + 1 >= text.size()) return text;
    const AnsiString first = text.substr(p, dash - p);
    const AnsiString second = text.substr(dash + 1);
    if (!IsNumber(first, false) || !IsNumber(second, false)) return text;
    const int a = DigitsToInt(first);
    const int b = DigitsToInt(second);
    const int low = std::min(a, b);
    const int high = std::max(a, b);
    if ((long long)high - low + 1 > MaxRangeMembers) return text;

    const AnsiString prefix = text.substr(0, p);
    AnsiString r;
    r.reserve(size_t(high - low + 1) * (prefix.size() + 11));
    for (long long n = low; n <= high; ++n) {
        if (n > low) r += ';';
        r += prefix;
        r += std::to_string(n);
    }
    return r;
}

AnsiString SortSemicolonList(const AnsiString &text)
{
    // The result of adding the items one by one to a sorted list that ignores repeats, without the
    // insertions into the middle of the list that make a large range's members cost quadratic time:
    // a stable sort keeps equal items in their order, so the first of them is the one kept.
    TStringList items;
    SplitToStrings(text, ';', items);
    items.Sort();
    AnsiString r;
    r.reserve(text.size());
    const AnsiString *last = nullptr;
    for (const AnsiString &item : items) {
        if (last && AnsiCompareText(*last, item) == 0) continue;
        if (last) r += ';';
        r += item;
        last = &item;
    }
    return r;
}

AnsiString StripLeadingZeros(const AnsiString &text)
{
    const size_t first = text.find_first_not_of('0');
    return first == AnsiString::npos ? AnsiString("0") : text.substr(first);
}

bool MakeBackupCopy(const AnsiString &fileName, AnsiString *reason)
{
    const QString source = ToQPath(fileName);
    if (!QFileInfo(source).isFile()) return true;
    const AnsiString stem = fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : AnsiString();
    const AnsiString extension = ExtractFileExt(fileName);
    QString target;
    for (long long n = 0;; ++n) {
        target = ToQPath(stem + "_COPY" + std::to_string(n) + extension);
        const QFileInfo info(target);
        if (!info.exists() && !info.isSymLink()) break;
    }
    QFile file(source);
    if (file.copy(target)) return true;   // refuses an existing target
    if (reason) *reason = FromQ(file.errorString());
    return false;
}

AnsiString DateText(const QDate &date)
{
    static const char *const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    if (!date.isValid()) return "";
    char year[16];
    std::snprintf(year, sizeof year, "%04d", date.year());
    return IntToText(date.day()) + "." + IntToText(date.month()) + "(" + months[date.month() - 1] + ")." + year;
}

AnsiString TodayText() { return DateText(QDate::currentDate()); }
