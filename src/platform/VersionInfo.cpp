#include "platform/VersionInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

namespace {

// Little-endian reads that fail instead of reading past the bytes.
struct Bytes
{
    std::string_view d;

    bool Has(uint64_t off, uint64_t n) const { return off <= d.size() && n <= d.size() - off; }
    bool U16(uint64_t off, uint32_t &v) const
    {
        if (!Has(off, 2)) return false;
        v = uint32_t((unsigned char)d[off]) | uint32_t((unsigned char)d[off + 1]) << 8;
        return true;
    }
    bool U32(uint64_t off, uint32_t &v) const
    {
        uint32_t lo = 0, hi = 0;
        if (!U16(off, lo) || !U16(off + 2, hi)) return false;
        v = lo | hi << 16;
        return true;
    }
};

constexpr uint32_t RT_VERSION = 16;
constexpr uint32_t SubdirectoryFlag = 0x80000000u;

// The section table of a PE image, enough to turn relative virtual addresses into file offsets.
struct PeSections
{
    Bytes image;
    uint64_t tableOffset = 0;
    uint32_t count = 0;

    // The bytes from the address to the end of its section's data in the file; empty when unmapped.
    std::string_view Span(uint32_t rva) const
    {
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t s = tableOffset + 40ull * i;
            uint32_t va = 0, rawSize = 0, rawPtr = 0;
            if (!image.U32(s + 12, va) || !image.U32(s + 16, rawSize) || !image.U32(s + 20, rawPtr))
                return {};
            if (rva < va || uint64_t(rva) - va >= rawSize) continue;
            const uint64_t off = uint64_t(rawPtr) + (rva - va);
            if (off >= image.d.size()) return {};
            const uint64_t avail = std::min<uint64_t>(uint64_t(rawPtr) + rawSize, image.d.size()) - off;
            return image.d.substr(size_t(off), size_t(avail));
        }
        return {};
    }
};

// Reads the headers; false for anything that is not a PE image with a resource directory.
bool ReadPeHeaders(Bytes image, PeSections &sections, uint32_t &resourceRva)
{
    if (image.d.size() < 0x40 || image.d[0] != 'M' || image.d[1] != 'Z') return false;
    uint32_t pe = 0;
    if (!image.U32(0x3C, pe) || !image.Has(pe, 24) || image.d.substr(pe, 4) != std::string_view("PE\0\0", 4))
        return false;
    const uint64_t coff = uint64_t(pe) + 4;
    uint32_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (!image.U16(coff + 2, sectionCount) || !image.U16(coff + 16, optionalSize)) return false;
    const uint64_t optional = coff + 20;
    if (!image.U16(optional, magic)) return false;
    uint64_t rvaCountAt = 0, directories = 0;
    if (magic == 0x10B) {        // PE32
        rvaCountAt = 92;
        directories = 96;
    } else if (magic == 0x20B) { // PE32+
        rvaCountAt = 108;
        directories = 112;
    } else {
        return false;
    }
    constexpr uint32_t ResourceDirectory = 2;
    uint32_t rvaCount = 0;
    if (!image.U32(optional + rvaCountAt, rvaCount) || rvaCount <= ResourceDirectory) return false;
    const uint64_t entry = directories + 8ull * ResourceDirectory;
    if (entry + 8 > optionalSize || !image.U32(optional + entry, resourceRva) || resourceRva == 0)
        return false;
    sections.image = image;
    sections.tableOffset = optional + optionalSize;
    sections.count = sectionCount;
    return image.Has(sections.tableOffset, 40ull * sectionCount);
}

// The target of a resource directory's entry (any entry when anyId), with the subdirectory flag.
bool FindResourceEntry(Bytes res, uint32_t directory, bool anyId, uint32_t id, uint32_t &target)
{
    uint32_t named = 0, ids = 0;
    if (!res.U16(uint64_t(directory) + 12, named) || !res.U16(uint64_t(directory) + 14, ids)) return false;
    for (uint32_t i = 0; i < named + ids; ++i) {
        const uint64_t e = uint64_t(directory) + 16 + 8ull * i;
        uint32_t name = 0;
        if (!res.U32(e, name) || !res.U32(e + 4, target)) return false;
        if (anyId || name == id) return true;
    }
    return false;
}

// One node of the VS_VERSIONINFO tree; offsets within the block.
struct VersionNode
{
    size_t end = 0;
    std::u16string key;
    size_t valueOffset = 0;
    size_t valueSize = 0;
    size_t childrenOffset = 0;
};

size_t Align4(uint64_t n) { return size_t((n + 3) & ~uint64_t(3)); }

bool ReadVersionNode(Bytes block, size_t start, size_t limit, VersionNode &node)
{
    uint32_t length = 0, valueLength = 0, type = 0;
    if (!block.U16(start, length) || !block.U16(start + 2, valueLength) || !block.U16(start + 4, type))
        return false;
    if (length < 6 || start > limit || length > limit - start) return false;
    node.end = start + length;
    node.key.clear();
    size_t p = start + 6;
    for (;;) {
        uint32_t c = 0;
        if (p + 2 > node.end || !block.U16(p, c)) return false;
        p += 2;
        if (c == 0) break;
        node.key.push_back(char16_t(c));
    }
    // A text value counts its length in characters, a binary one in bytes.
    const uint64_t declared = type == 1 ? 2ull * valueLength : valueLength;
    node.valueOffset = std::min(Align4(p), node.end);
    node.valueSize = size_t(std::min<uint64_t>(declared, node.end - node.valueOffset));
    node.childrenOffset = std::min<uint64_t>(Align4(node.valueOffset + declared), node.end);
    return true;
}

bool KeyEquals(const std::u16string &key, std::string_view name)
{
    if (key.size() != name.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        if (key[i] > 0x7F) return false;
        if (AnsiUpperChar((unsigned char)key[i]) != AnsiUpperChar((unsigned char)name[i])) return false;
    }
    return true;
}

bool FindVersionChild(Bytes block, const VersionNode &parent, std::string_view name, VersionNode &child)
{
    size_t p = parent.childrenOffset;
    while (p + 6 <= parent.end) {
        if (!ReadVersionNode(block, p, parent.end, child)) return false;
        if (KeyEquals(child.key, name)) return true;
        p = Align4(child.end);   // child.end > p: every step moves on
    }
    return false;
}

// UTF-16 up to the first NUL; characters outside the 8-bit code page become "?".
AnsiString Utf16ToAnsi(std::string_view bytes)
{
    AnsiString r;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned c = unsigned((unsigned char)bytes[i]) | unsigned((unsigned char)bytes[i + 1]) << 8;
        if (c == 0) break;
        r += c <= 0xFF ? char(c) : '?';
    }
    return r;
}

bool IsRunningProgram(const QString &path)
{
    if (!QCoreApplication::instance()) return false;
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    return !self.isEmpty() && QFileInfo(path).canonicalFilePath() == self;
}

} // namespace

std::string_view FindVersionResource(std::string_view image)
{
    const Bytes file{image};
    PeSections sections;
    uint32_t resourceRva = 0;
    if (!ReadPeHeaders(file, sections, resourceRva)) return {};
    const Bytes res{sections.Span(resourceRva)};
    // Three levels: type, name, language; the first name and the first language serve.
    uint32_t target = 0;
    if (!FindResourceEntry(res, 0, false, RT_VERSION, target) || !(target & SubdirectoryFlag)) return {};
    if (!FindResourceEntry(res, target & ~SubdirectoryFlag, true, 0, target) || !(target & SubdirectoryFlag))
        return {};
    if (!FindResourceEntry(res, target & ~SubdirectoryFlag, true, 0, target) || (target & SubdirectoryFlag))
        return {};
    uint32_t dataRva = 0, dataSize = 0;
    if (!res.U32(target, dataRva) || !res.U32(uint64_t(target) + 4, dataSize)) return {};
    const std::string_view data = sections.Span(dataRva);
    if (dataSize == 0 || data.size() < dataSize) return {};
    return data.substr(0, dataSize);
}

bool QueryVersionValue(std::string_view block, const AnsiString &subBlock, std::string &value)
{
    const Bytes bytes{block};
    VersionNode node;
    if (!ReadVersionNode(bytes, 0, block.size(), node)) return false;
    size_t start = 0;
    while (start < subBlock.size()) {
        size_t stop = subBlock.find('\\', start);
        if (stop == AnsiString::npos) stop = subBlock.size();
        if (stop > start) {
            VersionNode child;
            if (!FindVersionChild(bytes, node, std::string_view(subBlock).substr(start, stop - start), child))
                return false;
            node = std::move(child);
        }
        start = stop + 1;
    }
    value.assign(block.substr(node.valueOffset, node.valueSize));
    return true;
}

AnsiString FileVersionTextOfImage(std::string_view image)
{
    const std::string_view block = FindVersionResource(image);
    if (block.empty()) return "?";
    std::string translation;
    if (!QueryVersionValue(block, "\\VarFileInfo\\Translation", translation) || translation.size() < 4)
        return "?";
    const Bytes t{translation};
    uint32_t language = 0, codePage = 0;
    t.U16(0, language);
    t.U16(2, codePage);
    char table[9];
    std::snprintf(table, sizeof table, "%08X", unsigned(language << 16 | codePage));
    std::string version;
    if (!QueryVersionValue(block, "\\StringFileInfo\\" + AnsiString(table) + "\\FileVersion", version))
        return "?";
    return Utf16ToAnsi(version);
}

AnsiString FileVersionText(const AnsiString &fileName)
{
    const QString path = ToQPath(fileName);
    if (IsRunningProgram(path)) return QUILLET_VERSION;
    if (!QFileInfo(path).isFile()) return "?";
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "?";
    const QByteArray image = file.read(qint64(MaxVersionImageSize));
    return FileVersionTextOfImage(std::string_view(image.constData(), size_t(image.size())));
}
