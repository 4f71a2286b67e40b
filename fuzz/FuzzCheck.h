// What every fuzz target shares: a property that fails aborts with the reason, so libFuzzer keeps the
// input as a crash.
#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

inline std::string_view FuzzBytes(const uint8_t *data, size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

// The input as the file of that name in a folder kept for the run; returns the file's path.
inline std::string FuzzFile(const char *name, const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return path.toStdString();
}
