// Fast-insert lists: the list file into the first completion popup, and the text macros.
#include "script/FastInsertList.h"

#include "platform/SettingsFile.h"
#include "platform/TIniFile.h"
#include "shell/Main.h"
#include "synedit/SynCompletionProposal.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <exception>

std::vector<TFastInsertEntry> ReadFastInsertList(const AnsiString &path, AnsiString &error)
{
    error.clear();
    AnsiString bytes;
    if (ReadWholeFile(path, bytes, error) == FileReadResult::Failed) return {};
    std::vector<TFastInsertEntry> entries;
    try {
        TIniFile ini(path);
        for (int n = 0;; ++n) {
            const AnsiString key = IntToStr(n);
            TFastInsertEntry entry{ini.ReadString("Captions", key, ""), ini.ReadString("Items", key, "")};
            if (entry.Caption.empty() && entry.Item.empty()) break;
            entries.push_back(std::move(entry));
        }
    } catch (const std::exception &e) {
        error = e.what();
        entries.clear();
    }
    return entries;
}

std::vector<TFastInsertEntry> ReadFastInsertList(const AnsiString &path)
{
    AnsiString error;
    return ReadFastInsertList(path, error);
}

AnsiString FastInsertShortText(const AnsiString &item)
{
    return item.size() <= 13 ? item : item.substr(0, 10) + "...";
}

AnsiString FastInsertListTitle(const AnsiString &path)
{
    return "Fast insert list: \"" + ExtractFileName(path) + "\"";
}

namespace {

struct TMacro
{
    const char *Token;
    // The replacement; false when the macro cannot be expanded (it then stays as typed).
    bool (*Expand)(const TTextMacroContext &context, AnsiString &text);
};

template <char Fill> bool Separator(const TTextMacroContext &context, AnsiString &text)
{
    if (context.RightEdge < 1) return false;
    text = ";" + AnsiString(size_t(context.RightEdge - 1), Fill);
    return true;
}

bool Fixed(AnsiString &text, const char *value)
{
    text = value;
    return true;
}

const TMacro Macros[] = {
    {"[_LINE#_]", [](const TTextMacroContext &c, AnsiString &t) { return Fixed(t, IntToStr(c.CaretLine).c_str()); }},
    {"[_FILENAME_]", [](const TTextMacroContext &c, AnsiString &t) { return Fixed(t, c.FileName.c_str()); }},
    {"[_QuVER_]", [](const TTextMacroContext &c, AnsiString &t) { return Fixed(t, c.ProgramVersion.c_str()); }},
    {"[_QALMAIL1_]", [](const TTextMacroContext &, AnsiString &t) { return Fixed(t, "Ilse Marrowick <ilse.marrowick@qal-extension.example>"); }},
    {"[_QALMAIL2_]", [](const TTextMacroContext &, AnsiString &t) { return Fixed(t, "The Qal Team <team@qal-extension.example>"); }},
    {"[_QALWWW1_]", [](const TTextMacroContext &, AnsiString &t) { return Fixed(t, "https://qal-extension.example/"); }},
    {"[_QALWWW2_]", [](const TTextMacroContext &, AnsiString &t) { return Fixed(t, "https://tarrowmere-guild.example/qal/"); }},
    {"[_QuAUTHOR_]", [](const TTextMacroContext &, AnsiString &t) { return Fixed(t, "Pellanor Quillet team <quillet@pellanor.example>"); }},
    {"[_SEPAR1_]", Separator<'-'>},
    {"[_SEPAR2_]", Separator<'*'>},
    {"[_SEPAR3_]", Separator<'/'>},
    {"[_SEPAR4_]", Separator<'='>},
    {"[_SEPAR5_]", Separator<'#'>},
    {"[_SEPAR6_]", Separator<'+'>},
    {"[_SEPAR7_]", Separator<':'>},
    {"[_EOL_]", [](const TTextMacroContext &, AnsiString &t) { return Fixed(t, "\r\n"); }},
    {"[_CURDATE_]", [](const TTextMacroContext &c, AnsiString &t) { return Fixed(t, c.Date.c_str()); }},
    {"[_CURTIME_]", [](const TTextMacroContext &c, AnsiString &t) { return Fixed(t, c.Time.c_str()); }},
};

// Every occurrence, left to right, each replaced where it stands; the search goes on after the
// replacement, so a replacement holding the token is not expanded again.
AnsiString ReplaceEvery(const AnsiString &text, const AnsiString &token, const AnsiString &replacement)
{
    AnsiString result;
    size_t from = 0;
    for (size_t at = text.find(token); at != AnsiString::npos; at = text.find(token, from)) {
        result.append(text, from, at - from);
        result += replacement;
        from = at + token.size();
    }
    result.append(text, from, AnsiString::npos);
    return result;
}

} // namespace

const std::vector<AnsiString> &TextMacroTokens()
{
    static const std::vector<AnsiString> tokens = [] {
        std::vector<AnsiString> list;
        for (const TMacro &macro : Macros) list.push_back(macro.Token);
        return list;
    }();
    return tokens;
}

AnsiString ExpandTextMacros(const AnsiString &value, const TTextMacroContext &context)
{
    AnsiString text = value;
    for (const TMacro &macro : Macros) {
        if (text.find(macro.Token) == AnsiString::npos) continue;
        AnsiString replacement;
        if (macro.Expand(context, replacement)) text = ReplaceEvery(text, macro.Token, replacement);
    }
    return text;
}

AnsiString SystemShortDate() { return FromQ(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)); }

AnsiString SystemLongTime() { return FromQ(QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat)); }

AnsiString LoadFastInsertList(TMainForm *mainForm, const AnsiString &path)
{
    TSynCompletionProposal *popup = mainForm->SynCompletionProposal1;
    popup->ClearList();
    AnsiString error;
    for (const TFastInsertEntry &entry : ReadFastInsertList(path, error)) {
        popup->InsertList.Add(entry.Item);
        popup->ItemList.Add(FastInsertShortText(entry.Item) + "\t" + entry.Caption);
    }
    popup->ResetAssignedList();
    popup->Title = FastInsertListTitle(path);
    return error;
}
