// Small file helpers shared by the tests of every folder.
#pragma once

#include "platform/Text.h"

#include <QFile>
#include <QString>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

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
