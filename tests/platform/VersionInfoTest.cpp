#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <random>
#include <string>

namespace {

using Bytes = std::string;

void Put16(Bytes &b, size_t at, uint32_t v)
{
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8 & 0xFF);
}
void Put32(Bytes &b, size_t at, uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}
void Pad4(Bytes &b) { b.resize((b.size() + 3) & ~size_t(3)); }

Bytes Utf16(const std::u16string &s)
{
    Bytes b;
    for (char16_t c : s) {
        b += char(c & 0xFF);
        b += char(c >> 8);
    }
    return b;
}

// One VS_VERSIONINFO node: header, key, value, children, each part 32-bit aligned.
Bytes VersionNode(const std::u16string &key, const Bytes &value, bool text, const std::vector<Bytes> &children = {})
{
    Bytes b(6, '\0');
    b += Utf16(key + u'\0');
    Pad4(b);
    b += value;
    for (const Bytes &child : children) {
        Pad4(b);
        b += child;
    }
    Put16(b, 0, uint32_t(b.size()));
    Put16(b, 2, uint32_t(text ? value.size() / 2 : value.size()));
    Put16(b, 4, text ? 1 : 0);
    return b;
}
Bytes StringNode(const std::u16string &key, const std::u16string &value)
{
    return VersionNode(key, Utf16(value + u'\0'), true);
}

struct Table
{
    std::u16string Name;   // "040904B0"
    std::u16string FileVersion;
};

struct ImageOptions
{
    std::vector<Table> Tables{{u"040904B0", u"2.3.4.5"}};
    Bytes Translation = Bytes("\x09\x04\xB0\x04", 4);
    bool WithTranslation = true;
    uint32_t ResourceType = 16;
    bool Pe32Plus = false;
};

Bytes VersionBlock(const ImageOptions &o)
{
    Bytes fixed(52, '\0');
    Put32(fixed, 0, 0xFEEF04BD);
    std::vector<Bytes> tables;
    for (const Table &t : o.Tables) {
        std::vector<Bytes> strings{StringNode(u"CompanyName", u"Pellanor")};
        if (!t.FileVersion.empty()) strings.push_back(StringNode(u"FileVersion", t.FileVersion));
        strings.push_back(StringNode(u"ProductName", u"Test"));
        tables.push_back(VersionNode(t.Name, "", true, strings));
    }
    std::vector<Bytes> vars;
    if (o.WithTranslation) vars.push_back(VersionNode(u"Translation", o.Translation, false));
    return VersionNode(u"VS_VERSION_INFO", fixed, false,
                       {VersionNode(u"StringFileInfo", "", true, tables), VersionNode(u"VarFileInfo", "", true, vars)});
}

// A minimal PE image: DOS header, PE headers, one ".rsrc" section holding the resource directory
// (type, name, language) and the version block.
Bytes MakePeImage(const ImageOptions &o = {})
{
    constexpr uint32_t peAt = 0x40, rawAt = 0x200, rva = 0x1000;
    const uint32_t optionalSize = o.Pe32Plus ? 240 : 224;
    Bytes rsrc;
    Put32(rsrc, 0x0C, 1 << 16);   // one id entry
    Put32(rsrc, 0x10, o.ResourceType);
    Put32(rsrc, 0x14, 0x80000000u | 0x18);
    Put32(rsrc, 0x18 + 0x0C, 1 << 16);
    Put32(rsrc, 0x18 + 0x10, 1);
    Put32(rsrc, 0x18 + 0x14, 0x80000000u | 0x30);
    Put32(rsrc, 0x30 + 0x0C, 1 << 16);
    Put32(rsrc, 0x30 + 0x10, 0x409);
    Put32(rsrc, 0x30 + 0x14, 0x48);
    const Bytes block = VersionBlock(o);
    Put32(rsrc, 0x48, rva + 0x58);
    Put32(rsrc, 0x4C, uint32_t(block.size()));
    rsrc.resize(0x58);
    rsrc += block;

    Bytes b(rawAt, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, peAt);
    b.replace(peAt, 4, Bytes("PE\0\0", 4));
    const size_t coff = peAt + 4, opt = coff + 20;
    Put16(b, coff, o.Pe32Plus ? 0x8664 : 0x14C);
    Put16(b, coff + 2, 1);
    Put16(b, coff + 16, optionalSize);
    Put16(b, coff + 18, 0x0102);
    Put16(b, opt, o.Pe32Plus ? 0x20B : 0x10B);
    const size_t dirs = opt + (o.Pe32Plus ? 112 : 96);
    Put32(b, opt + (o.Pe32Plus ? 108 : 92), 16);
    Put32(b, dirs + 16, rva);
    Put32(b, dirs + 20, uint32_t(rsrc.size()));
    const size_t section = opt + optionalSize;
    b.replace(section, 8, Bytes(".rsrc\0\0\0", 8));
    Put32(b, section + 8, uint32_t(rsrc.size()));
    Put32(b, section + 12, rva);
    Put32(b, section + 16, uint32_t(rsrc.size()));
    Put32(b, section + 20, rawAt);
    Put32(b, section + 36, 0x40000040);
    b += rsrc;
    return b;
}

AnsiString WriteFile(const QTemporaryDir &dir, const QString &name, const Bytes &content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content.data(), qint64(content.size()));
    return FromQPath(path);
}

} // namespace

TEST(VersionInfo, ReadsFileVersionOfGeneratedImage)
{
    EXPECT_EQ(FileVersionTextOfImage(MakePeImage()), "2.3.4.5");
    ImageOptions plus;
    plus.Pe32Plus = true;
    EXPECT_EQ(FileVersionTextOfImage(MakePeImage(plus)), "2.3.4.5");

    QTemporaryDir dir;
    EXPECT_EQ(FileVersionText(WriteFile(dir, "game.dll", MakePeImage())), "2.3.4.5");
}

TEST(VersionInfo, TranslationChoosesTheStringTable)
{
    struct Case
    {
        const char *Name;
        ImageOptions Options;
        AnsiString Expected;
    };
    auto with = [](auto change) {
        ImageOptions o;
        change(o);
        return o;
    };
    const Case cases[] = {
        {"second table named by translation",
         with([](ImageOptions &o) {
             o.Tables = {{u"040704B0", u"7.0"}, {u"040904B0", u"9.1"}};
         }),
         "9.1"},
        {"first translation entry wins",
         with([](ImageOptions &o) {
             o.Tables = {{u"040704B0", u"7.0"}, {u"040904B0", u"9.1"}};
             o.Translation = Bytes("\x07\x04\xB0\x04\x09\x04\xB0\x04", 8);
         }),
         "7.0"},
        {"table name in lower case", with([](ImageOptions &o) { o.Tables = {{u"040904b0", u"1.2"}}; }), "1.2"},
        {"no table for the translation", with([](ImageOptions &o) { o.Tables = {{u"040704B0", u"7.0"}}; }), "?"},
        {"no translation", with([](ImageOptions &o) { o.WithTranslation = false; }), "?"},
        {"translation shorter than 4 bytes", with([](ImageOptions &o) { o.Translation = Bytes("\x09\x04", 2); }),
         "?"},
        {"table without FileVersion", with([](ImageOptions &o) { o.Tables = {{u"040904B0", u""}}; }), "?"},
        {"no version resource, only an icon", with([](ImageOptions &o) { o.ResourceType = 3; }), "?"},
        {"8-bit characters kept, others become ?",
         with([](ImageOptions &o) { o.Tables = {{u"040904B0", u"1.0 \u00DF\u0416"}}; }), "1.0 \xDF?"},
    };
    for (const Case &c : cases) EXPECT_EQ(FileVersionTextOfImage(MakePeImage(c.Options)), c.Expected) << c.Name;
}

TEST(VersionInfo, QueryGivesRawTranslationBytes)
{
    const Bytes image = MakePeImage();
    const std::string_view block = FindVersionResource(image);
    ASSERT_FALSE(block.empty());
    std::string value;
    ASSERT_TRUE(QueryVersionValue(block, "\\VarFileInfo\\Translation", value));
    EXPECT_EQ(value, Bytes("\x09\x04\xB0\x04", 4));
    EXPECT_TRUE(QueryVersionValue(block, "\\stringfileinfo\\040904B0\\ProductName", value));
    EXPECT_EQ(value, Utf16(std::u16string(u"Test\0", 5)));
    EXPECT_FALSE(QueryVersionValue(block, "\\StringFileInfo\\040904B0\\Missing", value));
    EXPECT_FALSE(QueryVersionValue(block, "\\VarFileInfo\\Translation\\Deeper", value));
}

TEST(VersionInfo, TruncatedImagesNeverReadPastTheEnd)
{
    const Bytes image = MakePeImage();
    for (size_t n = 0; n < image.size(); ++n) {
        // A copy of exactly n bytes, so a read past them is seen by the sanitizers.
        const Bytes cut = image.substr(0, n);
        const AnsiString v = FileVersionTextOfImage(cut);
        EXPECT_TRUE(v == "?" || v == "2.3.4.5") << n;
        if (n < 0x200) {
            EXPECT_EQ(v, "?") << n;   // the resource section is not there yet
        }
    }
}

TEST(VersionInfo, RandomlyDamagedImagesGiveSomeTextWithoutCrashing)
{
    const Bytes image = MakePeImage();
    std::mt19937 random(20261208);
    const uint32_t hostile[] = {0, 1, 0xFF, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    int intact = 0;
    for (int variant = 0; variant < 4000; ++variant) {
        Bytes damaged = image;
        const int flips = 1 + int(random() % 6);
        for (int i = 0; i < flips; ++i) {
            const size_t at = random() % (damaged.size() - 3);
            if (random() % 2) damaged[at] = char(random());
            else Put32(damaged, at & ~size_t(1), hostile[random() % std::size(hostile)]);
        }
        const AnsiString v = FileVersionTextOfImage(damaged);
        EXPECT_LE(v.size(), damaged.size());
        if (v == "2.3.4.5") ++intact;
    }
    // Most damage lands outside the bytes that matter, so the reader still finds the version.
    EXPECT_GT(intact, 100);
}

TEST(VersionInfo, HostileStructuresGiveQuestionMark)
{
    struct Case
    {
        const char *Name;
        std::vector<std::pair<size_t, uint32_t>> Writes;   // 32-bit values put over the image
    };
    constexpr size_t rsrc = 0x200, block = rsrc + 0x58;
    const Case cases[] = {
        {"PE header offset beyond the file", {{0x3C, 0xFFFFFFF0u}}},
        {"PE header offset at the last bytes", {{0x3C, 0x200 + 0x58 - 2}}},
        {"65535 sections", {{0x40 + 4 + 2, 0xFFFF}}},
        {"unknown optional header", {{0x40 + 24, 0x0107}}},
        {"resource directory not in any section", {{0x40 + 24 + 96 + 16, 0x9000}}},
        {"type directory loops to itself", {{rsrc + 0x14, 0x80000000u}}},
        {"name directory loops to the root", {{rsrc + 0x18 + 0x14, 0x80000000u}}},
        {"huge entry counts, no version type", {{rsrc + 0x0C, 0xFFFFFFFFu}, {rsrc + 0x10, 3}}},
        {"language entry points at a directory", {{rsrc + 0x30 + 0x14, 0x80000000u | 0x18}}},
        {"data entry beyond the section", {{rsrc + 0x30 + 0x14, 0x7FFFFFF0}}},
        {"data longer than the section", {{rsrc + 0x4C, 0x7FFFFFFF}}},
        {"data address wraps around", {{rsrc + 0x48, 0xFFFFFFFFu}}},
        {"root node longer than the data", {{block, 0xFFFF}}},
        {"root node shorter than its header", {{block, 2}}},
    };
    for (const Case &c : cases) {
        Bytes image = MakePeImage();
        for (const auto &[at, value] : c.Writes) Put32(image, at, value);
        EXPECT_EQ(FileVersionTextOfImage(image), "?") << c.Name;
    }
}

TEST(VersionInfo, ChildWithZeroLengthEndsTheSearch)
{
    // A zero length in the first child of the string table would otherwise never move on.
    ImageOptions o;
    Bytes image = MakePeImage(o);
    const size_t company = image.find(Utf16(u"CompanyName")) - 6;
    Put16(image, company, 0);
    EXPECT_EQ(FileVersionTextOfImage(image), "?");
}

TEST(VersionInfo, FilesThatAreNoExecutables)
{
    QTemporaryDir dir;
    const AnsiString text = WriteFile(dir, "readme.txt", "MZ is how it starts, but this is plain text.\r\n");
    const AnsiString empty = WriteFile(dir, "empty.dll", "");
    const AnsiString mzOnly = WriteFile(dir, "mz.exe", "MZ");
    QDir(dir.path()).mkdir("folder.dll");
    for (const AnsiString &path : {text, empty, mzOnly, FromQPath(dir.filePath("folder.dll")),
                                   FromQPath(dir.filePath("missing.exe")), AnsiString()})
        EXPECT_EQ(FileVersionText(path), "?") << path;
}

TEST(VersionInfo, RunningProgramHasTheBuildVersion)
{
    const QString self = QCoreApplication::applicationFilePath();
    EXPECT_EQ(FileVersionText(FromQPath(self)), QUILLET_VERSION);
    QTemporaryDir dir;
    const QString link = dir.filePath("alias");
    ASSERT_TRUE(QFile::link(self, link));
    EXPECT_EQ(FileVersionText(FromQPath(link)), QUILLET_VERSION);
}
