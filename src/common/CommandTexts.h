// How a script marks its commands and the texts inside them, for every tool that walks a script
// (the text scanner, the converter), so that they agree on where a text or a command ends.
//
// A command starts at "!" followed by "!", "#", "?" or "$" and ends at ";". Inside a command a
// "^" opens a text that the next "^" closes; in a text ";" and "!" are ordinary characters, and
// carets outside a command are ordinary too. A CR and the character after it are one line break,
// in which nothing else counts. Commands and texts run across line breaks.
#pragma once

#include <cstddef>
#include <string_view>

// True when the "!" at i starts a command.
inline bool OpensCommand(std::string_view text, size_t i)
{
    if (text[i] != '!' || i + 1 >= text.size()) return false;
    const char c = text[i + 1];
    return c == '!' || c == '#' || c == '?' || c == '$';
}

// One step at a time over a script text, telling what each character means there.
class TCommandWalk
{
public:
    enum TEvent { Plain, LineBreak, CommandStart, CommandEnd, TextOpen, TextClose };

    explicit TCommandWalk(std::string_view text, size_t from = 0) : T(text), Next(from) {}

    bool AtEnd() const { return Next >= T.size(); }
    // Takes the next character (a CR together with the one after it) and tells what it is.
    TEvent Step()
    {
        At = Next++;
        switch (T[At]) {
        case '\r':
            ++Next;
            return LineBreak;
        case '!':
            if (InText || !OpensCommand(T, At)) return Plain;
            // A command may start while another is open: the new one is the current one.
            InCommand = true;
            Start = At;
            return CommandStart;
        case ';':
            if (InText) return Plain;
            InCommand = false;
            return CommandEnd;
        case '^':
            if (!InCommand) return Plain;
            InText = !InText;
            return InText ? TextOpen : TextClose;
        default:
            return Plain;
        }
    }
    // The position of the character the last step took.
    size_t Pos() const { return At; }
    // The "!" of the current command.
    size_t CommandPos() const { return Start; }
    bool InsideText() const { return InText; }

private:
    std::string_view T;
    size_t Next, At = 0, Start = 0;
    bool InCommand = false, InText = false;
};

// One past the ";" that ends the command starting at start; the text's length when no ";" outside
// a text follows (the command, or a text in it that never closes, runs to the end).
size_t CommandEndPos(std::string_view text, size_t start);
