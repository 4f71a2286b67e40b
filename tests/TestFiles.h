// Small file helpers shared by the tests of every folder.
#pragma once

#include "platform/Text.h"

#include <QFile>
#include <QString>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

// The bytes of a file; "<missing>" when it cannot be read.
inline AnsiString ReadAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    const QByteArray b = f.readAll();
    return AnsiString(b.constData(), size_t(b.size()));
}

// Writes the file byte for byte.
inline void WriteAll(const QString &path, const AnsiString &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(content.data(), qint64(content.size())), qint64(content.size()));
}

// While it lives, no file of this process grows beyond the limit: writes stop part way, as on a
// full disk (and the signal that would end the process is ignored).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long long bytes)
    {
        struct rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        SavedCur = limit.rlim_cur;
        SavedHandler = std::signal(SIGXFSZ, SIG_IGN);
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        struct rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = SavedCur;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SavedHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlim_t SavedCur = 0;
    void (*SavedHandler)(int) = nullptr;
};

// What the process writes on stderr while it lives, line by line.
class StderrCapture
{
public:
    StderrCapture() : File(std::tmpfile())
    {
        std::fflush(stderr);
        Saved = ::dup(2);
        if (File && Saved >= 0) ::dup2(::fileno(File), 2);
    }
    ~StderrCapture()
    {
        Restore();
        if (File) std::fclose(File);
    }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // The lines that begin with the prefix (the program's own, not the toolkit's).
    std::vector<AnsiString> Lines(const AnsiString &prefix = "")
    {
        Restore();
        if (!File) return {"<no stderr captured>"};
        std::rewind(File);
        std::vector<AnsiString> lines;
        AnsiString line;
        const auto keep = [&] {
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
            line.clear();
        };
        for (int c; (c = std::fgetc(File)) != EOF;) {
            if (c != '\n') line += char(c);
            else keep();
        }
        if (!line.empty()) keep();
        return lines;
    }

private:
    void Restore()
    {
        if (Saved < 0) return;
        std::fflush(stderr);
        ::dup2(Saved, 2);
        ::close(Saved);
        Saved = -1;
    }
    std::FILE *File;
    int Saved = -1;
};

// Success when no line was said twice.
inline ::testing::AssertionResult SaidOnce(const std::vector<AnsiString> &lines)
{
    std::set<AnsiString> seen;
    for (const AnsiString &line : lines)
        if (!line.empty() && !seen.insert(line).second)
            return ::testing::AssertionFailure() << "said again: " << line << " (" << lines.size() << " lines)";
    return ::testing::AssertionSuccess();
}
