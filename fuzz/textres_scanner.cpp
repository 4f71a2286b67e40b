// The text scanner over any script: every text it finds stands between an opening caret inside a
// command and its closing caret (or runs to the end when it never closes, and then it is the last
// one), the texts come in order without overlap, each text is the script's bytes at its positions,
// its letter is the character after the nearest ":" before its opening caret, and a stop asked for
// after some text keeps exactly the texts found up to it.
#include "FuzzCheck.h"
#include "textres/TextScanner.h"

#include <algorithm>

namespace {

bool IsKind(char c) { return c == '!' || c == '#' || c == '?' || c == '$'; }

// The scanner steps over the character after each CR (the LF of a CR LF): a caret there is not
// seen. Only for scripts whose CRs all open a CR LF can a text be said to hold no caret.
bool AllLineBreaksAreCrLf(const AnsiString &text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) return false;
    return true;
}

void CheckText(const AnsiString &script, const FoundText &found, bool last, bool unpaired)
{
    const long n = long(script.size());
    const long open = long(found.Start) - 2;   // 0-based opening caret
    FUZZ_CHECK(open >= 0 && open < n);
    FUZZ_CHECK(script[size_t(open)] == '^');
    FUZZ_CHECK(IsKind(found.Kind));
    FUZZ_CHECK(script.rfind(AnsiString("!") + found.Kind, size_t(open)) != AnsiString::npos);
    const size_t colon = open == 0 ? AnsiString::npos : script.rfind(':', size_t(open - 1));
    FUZZ_CHECK(found.Letter == (colon == AnsiString::npos ? '-' : script[colon + 1]));
    if (last && unpaired) {
        FUZZ_CHECK(found.End == n);
        FUZZ_CHECK(found.Start <= found.End + 1);
    } else {
        FUZZ_CHECK(found.Start <= found.End && found.End <= n);
        FUZZ_CHECK(script[size_t(found.End) - 1] == '^');
    }
    const size_t length = size_t(std::max(0, found.End - found.Start));
    FUZZ_CHECK(found.Text == script.substr(size_t(found.Start) - 1, length));
    if (AllLineBreaksAreCrLf(script)) FUZZ_CHECK(found.Text.find('^') == AnsiString::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const AnsiString script(FuzzBytes(data, size));
    const ScanResult result = ScanTexts(script);
    const std::vector<FoundText> &texts = result.Texts;
    FUZZ_CHECK(!result.Unpaired || !texts.empty());
    for (size_t i = 0; i < texts.size(); ++i) {
        CheckText(script, texts[i], i + 1 == texts.size(), result.Unpaired);
        // The next text's opening caret comes after this one's closing caret.
        if (i > 0) FUZZ_CHECK(texts[i].Start - 2 > texts[i - 1].End - 1);
    }

    if (texts.empty()) return 0;
    const size_t stopAfter = size % texts.size() + 1;
    size_t asked = 0;
    ScanHooks hooks;
    hooks.StopRequested = [&] { return ++asked == stopAfter; };
    const ScanResult stopped = ScanTexts(script, hooks);
    const size_t closed = texts.size() - (result.Unpaired ? 1 : 0);
    const size_t kept = std::min(stopAfter, texts.size());
    FUZZ_CHECK(stopped.Texts.size() == kept);
    FUZZ_CHECK(stopped.Unpaired == (result.Unpaired && stopAfter > closed));
    for (size_t i = 0; i < kept; ++i) {
        FUZZ_CHECK(stopped.Texts[i].Start == texts[i].Start && stopped.Texts[i].End == texts[i].End);
        FUZZ_CHECK(stopped.Texts[i].Text == texts[i].Text);
    }
    return 0;
}
