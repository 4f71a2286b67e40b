#include "script/TagBlock.h"

#include "common/Utils.h"

#include <algorithm>

namespace {

const AnsiString CrLf = "\r\n";

} // namespace

AnsiString TagTypePrefix(int tagType)
{
    switch (tagType) {
    case ttWarning: return "_WARNING_";
    case ttQuilTag: return "QUIL_";
    default: return "_DECLARATION_";
    }
}

int OutlineEntryLine(const TStringList &lines, const AnsiString &entry)
{
    return std::max(lines.IndexOfName(entry), 0);
}

bool LineHasName(std::string_view line, const AnsiString &name)
{
    const size_t eq = line.find('=');
    return eq == name.size() && AnsiCompareText(line.substr(0, eq), name) == 0;
}

bool TagNameExists(const TStringList &lines, const AnsiString &name)
{
    for (int i = 1; i < lines.Count(); ++i)
        if (LineHasName(lines[i], name)) return true;
    return false;
}

AnsiString CheckedFunctionNumber(const AnsiString &text)
{
    if (text.empty()) return text;
    if (!IsNumber(text, false) || text[0] == '0') return {};
    return text;
}

TagBlock ComposeTagBlock(const TagBlockRequest &request)
{
    const AnsiString stars(size_t(std::max(request.RightEdge, 0)), '*');
    TagBlock block;
    block.Text = CrLf;
    block.CaretLineOffset = 1;
    if (request.TopSeparator) {
        block.Text += stars + CrLf;
        ++block.CaretLineOffset;
    }
    block.Text += TagTypePrefix(request.TagType) + request.Name + "=" + request.Description + CrLf;
    ++block.CaretLineOffset;
    if (request.TagType == ttDeclaration && request.DeclarationType == dtFunction) {
        block.Text += "!?FU" + request.FunctionNumber + ";" + CrLf;
        ++block.CaretLineOffset;
    }
    block.Text += CrLf;
    if (request.BottomSeparator) block.Text += stars + CrLf;
    return block;
}
