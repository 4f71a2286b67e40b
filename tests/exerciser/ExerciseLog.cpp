#include "ExerciseLog.h"
#include "UnderAddressSanitizer.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>


extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace {

// The report as the signal handler and the watchdog print it: two buffers, the one last written
// is published, so a reader never sees one half-written.
constexpr size_t CrashTextSize = 16384;
char CrashTexts[2][CrashTextSize];
std::atomic<size_t> CrashLengths[2];
std::atomic<int> PublishedText{-1};

std::atomic<bool> StepRunning{false};
std::atomic<long long> StepStartedMs{0};

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void WriteCrashText(const char *headline)
{
    [[maybe_unused]] ssize_t w = write(STDERR_FILENO, headline, strlen(headline));
    const int at = PublishedText.load();
    if (at >= 0) w = write(STDERR_FILENO, CrashTexts[at], CrashLengths[at].load());
}

void OnSanitizerDeath() { WriteCrashText("\nexerciser: the process dies of a sanitizer report\n"); }

[[maybe_unused]] void OnFatalSignal(int signal)
{
    WriteCrashText("\nexerciser: the process dies of a fatal signal\n");
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void WatchSteps(int limitSeconds)
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        if (StepRunning.load() && NowMs() - StepStartedMs.load() > limitSeconds * 1000LL) {
            WriteCrashText("\nexerciser: a step hangs (the watchdog ends the run)\n");
            _exit(3);
        }
    }
}

} // namespace

TExerciseLog &TExerciseLog::Instance()
{
    static TExerciseLog log;
    return log;
}

void TExerciseLog::BeginRound(uint64_t seed, int round)
{
    std::lock_guard<std::mutex> guard(Lock);
    RoundSeed = seed;
    Round = round;
    Steps.clear();
    PublishLocked();
}

// QUILLET_EXERCISE_TRACE=1 prints every step as it is taken.
static bool Tracing()
{
    static const bool on = [] {
        const char *trace = std::getenv("QUILLET_EXERCISE_TRACE");
        return trace && *trace && *trace != '0';
    }();
    return on;
}

void TExerciseLog::BeginStep(int index, const std::string &text)
{
    std::lock_guard<std::mutex> guard(Lock);
    Steps.push_back("#" + std::to_string(index) + " " + text);
    if (Tracing()) std::fprintf(stderr, "%s\n", Steps.back().c_str());
    while (Steps.size() > KeptSteps) Steps.pop_front();
    PublishLocked();
    StepStartedMs = NowMs();
    StepRunning = true;
}

void TExerciseLog::Note(const std::string &text)
{
    std::lock_guard<std::mutex> guard(Lock);
    if (Steps.empty()) Steps.emplace_back("(before the first step)");
    Steps.back() += "\n      " + text;
    if (Tracing()) std::fprintf(stderr, "      %s\n", text.c_str());
    PublishLocked();
}

void TExerciseLog::EndStep() { StepRunning = false; }

uint64_t TExerciseLog::Seed() const
{
    std::lock_guard<std::mutex> guard(Lock);
    return RoundSeed;
}

std::string TExerciseLog::Report(const std::string &reason) const
{
    std::lock_guard<std::mutex> guard(Lock);
    return ReportLocked(reason);
}

std::string TExerciseLog::ReportLocked(const std::string &reason) const
{
    std::string text = reason + "\nexerciser: seed " + std::to_string(RoundSeed) + " (round " + std::to_string(Round) +
                       "); replay: scripts/exercise.sh 10 " + std::to_string(RoundSeed) + "\nlast steps:\n";
    for (const std::string &step : Steps) text += "  " + step + "\n";
    return text;
}

void TExerciseLog::PublishLocked()
{
    const int next = PublishedText.load() == 0 ? 1 : 0;
    const std::string text = ReportLocked("");
    const size_t n = std::min(text.size(), CrashTextSize);
    // Keep the end: the steps last taken matter most.
    memcpy(CrashTexts[next], text.data() + (text.size() - n), n);
    CrashLengths[next] = n;
    PublishedText = next;
}

void TExerciseLog::InstallGuards(int stepLimitSeconds)
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    // A sanitizer calls back before it ends the process.
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(OnSanitizerDeath);
#if !UNDER_ADDRESS_SANITIZER
    // Under the address sanitizer its own handlers report memory faults; elsewhere these do.
    for (int s : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) std::signal(s, OnFatalSignal);
#endif
    std::thread(WatchSteps, stepLimitSeconds).detach();
}
