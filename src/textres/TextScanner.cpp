#include "textres/TextScanner.h"

#include "common/CommandTexts.h"

#include <algorithm>

namespace {

// The walk keeps where the last ":" stood, so finding a text's command letter costs nothing
// instead of a walk back through the text.
class Scanner
{
public:
    Scanner(std::string_view text, const ScanHooks &hooks) : T(text), Hooks(hooks), Walk(text) {}

    ScanResult Run()
    {
        const size_t n = T.size();
        // Room for every text at once: growing the list step by step copies it again and again.
        Result.Texts.reserve(size_t(std::count(T.begin(), T.end(), '^')) / 2 + 1);
        while (!Walk.AtEnd()) {
            const TCommandWalk::TEvent event = Walk.Step();
            const size_t i = Walk.Pos();   // 0-based here; positions handed out are 1-based
            switch (event) {
            case TCommandWalk::LineBreak:
                // The character after a CR is stepped over, but a ":" there still counts for letters.
                if (i + 1 < n && T[i + 1] == ':') LastColon = long(i + 1);
                LineDone();
                break;
            case TCommandWalk::TextOpen:
                Open(i);
                break;
            case TCommandWalk::TextClose:
                if (Close(i)) return std::move(Result);
                break;
            default:
                if (T[i] == ':') LastColon = long(i);
                break;
            }
        }
        if (Walk.InsideText()) {
            Current.End = int(n);
            Current.Text = AnsiString(T.substr(size_t(Current.Start - 1), size_t(std::max(0, Current.End - Current.Start))));
            Result.Texts.push_back(std::move(Current));
            Result.Unpaired = true;
        }
        return std::move(Result);
    }

private:
    void Open(size_t i)
    {
        Current = FoundText{};
        Current.Kind = T[Walk.CommandPos() + 1];
        Current.Start = int(i + 2);
        // The nearest ":" before the caret, wherever it stands; its next character is the letter.
        Current.Letter = LastColon >= 0 ? T[size_t(LastColon) + 1] : '-';
    }

    // True when the scan is to stop here.
    bool Close(size_t i)
    {
        Current.End = int(i + 1);
        Current.Text = AnsiString(T.substr(size_t(Current.Start - 1), size_t(Current.End - Current.Start)));
        Result.Texts.push_back(std::move(Current));
        return Hooks.StopRequested && Hooks.StopRequested();
    }

    void LineDone()
    {
        ++Lines;
        if (Hooks.Progress && Lines % std::max(1, Hooks.LinesPerBatch) == 0)
            Hooks.Progress(Lines, int(Result.Texts.size()));
    }

    std::string_view T;
    const ScanHooks &Hooks;
    ScanResult Result;
    TCommandWalk Walk;
    FoundText Current;
    long LastColon = -1;
    int Lines = 0;
};

} // namespace

ScanResult ScanTexts(std::string_view text, const ScanHooks &hooks) { return Scanner(text, hooks).Run(); }

int CountScanLines(std::string_view text) { return int(std::count(text.begin(), text.end(), '\r')); }
