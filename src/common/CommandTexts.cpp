#include "common/CommandTexts.h"

size_t CommandEndPos(std::string_view text, size_t start)
{
    TCommandWalk walk(text, start);
    while (!walk.AtEnd())
        if (walk.Step() == TCommandWalk::CommandEnd) return walk.Pos() + 1;
    return text.size();
}
