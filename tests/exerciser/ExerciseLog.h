// The record of an exercise run: its seed and its last steps. A failed check prints it; so does the
// process when it dies of a signal or a sanitizer report, and the watchdog when a step hangs.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

class TExerciseLog
{
public:
    static constexpr size_t KeptSteps = 50;
    static TExerciseLog &Instance();

    void BeginRound(uint64_t seed, int round);
    // A new step, described so that a reader can tell what was done to which window.
    void BeginStep(int index, const std::string &text);
    // More about the running step: a dialog shown, a box answered, a file chosen.
    void Note(const std::string &text);
    void EndStep();

    uint64_t Seed() const;
    // The seed, how to replay it and the last steps, after the reason.
    std::string Report(const std::string &reason) const;

    // From now on a fatal signal, a sanitizer report or a step running longer than the limit
    // prints the report on stderr (the watchdog then ends the process).
    void InstallGuards(int stepLimitSeconds);

private:
    TExerciseLog() = default;
    std::string ReportLocked(const std::string &reason) const;
    void PublishLocked();

    mutable std::mutex Lock;
    uint64_t RoundSeed = 0;
    int Round = 0;
    std::deque<std::string> Steps;
};
