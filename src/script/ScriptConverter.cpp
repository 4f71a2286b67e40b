#include "script/ScriptConverter.h"

#include "common/CommandTexts.h"
#include "shell/DocumentFiles.h"
#include "shell/HeaderTags.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <algorithm>

namespace {

// The tags a compacted script keeps, in the order they are written ("QUIL_AdditionalFiles" is not kept).
constexpr const char *KeptTags[] = {
    "QUIL_PoweredBy",        "QUIL_ScriptName",           "QUIL_ScriptAuthor",        "QUIL_ScriptVersion",
    "QUIL_ScriptDate",       "QUIL_ScriptKASVersion",     "QUIL_ScriptLanguage",      "QUIL_ScriptUsedMacroNames",
    "QUIL_ScriptUsedFunctions", "QUIL_ScriptUsedVariables", "QUIL_ScriptUsedTimers",  "QUIL_ScriptUsedFlags",
};

int AnchorLine(const TStringList &lines)
{
    for (int i = 0; i < lines.Count(); ++i)
        if (lines[i].find(HeaderTagAnchorWord) != AnsiString::npos) return i;
    return -1;
}

// Appends the operators of the body to out.
void AppendOperators(std::string_view body, bool oneOperatorPerLine, AnsiString &out)
{
    size_t pos = 0;
    while (pos < body.size()) {
        const size_t bang = body.find('!', pos);
        if (bang == std::string_view::npos) break;
        if (!OpensCommand(body, bang)) {
            pos = bang + 1;
            continue;
        }
        // A ";" in a text between carets is part of the text. An operator without a closing ";"
        // (or with a text that never closes) is the last one: it takes the rest of the body.
        const size_t end = CommandEndPos(body, bang);
        if (oneOperatorPerLine && !out.empty() && out.back() != '\n') out += '\n';
        out.append(body.substr(bang, end - bang));
        pos = end;
    }
}

} // namespace

void RefreshScriptTags(TStringList &lines, const ConvertOptions &options)
{
    AnsiString text = lines.Text();
    if (ConvertAutoTagsInPlace(text)) lines.SetText(text);

    if (options.WritePoweredBy) {
        if (lines.Values(PoweredByTag).empty() && lines.Count() > 0)
            lines.Insert(AnchorLine(lines) + 1, AnsiString(PoweredByTag) + "=");
        lines.SetValue(PoweredByTag, options.PoweredByValue);
    }
    if (!lines.Values(ScriptDateTag).empty()) lines.SetValue(ScriptDateTag, options.DateValue);
}

AnsiString CompactScript(const TStringList &lines, bool deleteTags, bool oneOperatorPerLine)
{
    const AnsiString text = lines.Text();
    const size_t anchor = text.find(HeaderTagAnchorWord);
    if (anchor == AnsiString::npos) return "";
    AnsiString out = HeaderTagAnchorWord;
    if (!deleteTags) {
        for (const char *tag : KeptTags) {
            const AnsiString value = lines.Values(tag);
            if (!value.empty()) out += "\n" + AnsiString(tag) + "=" + value;
        }
        if (out.size() > 4) out += '\n';
    }
    const std::string_view body = std::string_view(text).substr(anchor + 4);
    AppendOperators(body, oneOperatorPerLine, out);
    return out;
}

AnsiString BuildConvertedText(const TStringList &lines, const ConvertOptions &options)
{
    if (!options.Optimize) return lines.Text();
    return CompactScript(lines, options.DeleteTags, options.OneOperatorPerLine);
}

AnsiString FinishConvertedText(const AnsiString &text)
{
    AnsiString r;
    r.reserve(text.size() + 2);
    for (const char c : text) {
        if (c == '\r') continue;
        r += c == '\t' ? ' ' : c;
    }
    while (!r.empty() && (unsigned char)r.back() <= 32) r.pop_back();
    r += "\n\r";
    return r;
}

AnsiString ConvertScriptBytes(const AnsiString &bytes, const ConvertOptions &options)
{
    TStringList lines;
    lines.SetText(bytes);
    RefreshScriptTags(lines, options);
    return FinishConvertedText(BuildConvertedText(lines, options));
}

ConvertFileResult ConvertScriptFile(const AnsiString &source, const AnsiString &target, const ConvertOptions &options,
                                    const std::function<void()> &stageDone)
{
    const auto stage = [&stageDone] {
        if (stageDone) stageDone();
    };
    ConvertFileResult result;
    QFile in(ToQPath(source));
    if (!in.exists()) {
        result.Status = ConvertFileResult::SourceMissing;
        return result;
    }
    if (!in.open(QIODevice::ReadOnly)) {
        result.Status = ConvertFileResult::ReadFailed;
        return result;
    }
    const QByteArray bytes = in.readAll();
    const bool readWhole = in.error() == QFileDevice::NoError;
    in.close();
    if (!readWhole) {
        result.Status = ConvertFileResult::ReadFailed;
        return result;
    }
    stage();

    TStringList lines;
    lines.SetText(AnsiString(bytes.constData(), size_t(bytes.size())));
    RefreshScriptTags(lines, options);
    stage();
    const AnsiString built = BuildConvertedText(lines, options);
    stage();
    const AnsiString out = FinishConvertedText(built);
    result.Expected = (long long)out.size();
    stage();

    const FileWriteResult written = WriteFileAtomically(target, out);
    stage();
    if (!written.Opened) {
        result.Status = ConvertFileResult::OpenFailed;
        return result;
    }
    if (!written.Ok()) {
        result.Status = ConvertFileResult::WriteFailed;
        return result;   // the target keeps its old bytes
    }
    result.Written = written.Written;
    stage();
    return result;
}

AnsiString ShortDateText() { return FromQ(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)); }
