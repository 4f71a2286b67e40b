#include "script/DocumentInfo.h"

#include "common/Utils.h"
#include "platform/SystemInfo.h"
#include "platform/TRegistry.h"
#include "platform/TStringList.h"
#include "shell/Main.h"

#include <algorithm>

AnsiString NormalizeTagList(const AnsiString &text)
{
    TStringList items;
    AnsiString item;
    const auto flush = [&] {
        if (!item.empty()) items.Add(item);
        item.clear();
    };
    for (const char c : text) {
        if (c == ' ') continue;
        if (c == ';' || c == ',') flush();
        else item += c;
    }
    flush();
    items.Sort();
    return items.Join(";");
}

AnsiString ProposedScriptName(const AnsiString &caption)
{
    const AnsiString name = ExtractFileName(caption);
    return name.substr(0, name.find('.'));
}

AnsiString ProposedAuthor()
{
    // The system is asked with room for 20 characters; a longer name gives nothing.
    const AnsiString name = UserName();
    return name.size() > 20 ? AnsiString() : name;
}

AnsiString ProposedLanguage()
{
    // Each name is asked for with room for 63 characters.
    const auto cut = [](const AnsiString &s) { return s.substr(0, std::min<size_t>(s.size(), 63)); };
    return cut(LanguageName()) + " or " + cut(NativeLanguageName()) + " (native)";
}

WarningSetting ReadWarningSetting()
{
    WarningSetting setting;
    setting.Text = DefaultWarning1Text;
    TRegistry reg;
    if (!reg.OpenKey(ProductKey, false)) return setting;
    setting.Write = ReadBoolOr(reg, "WriteWarning1", true);
    setting.Text = ReadStringOr(reg, "Warning1Text", setting.Text);
    reg.CloseKey();
    return setting;
}
