// Version resources of Windows executables and libraries (the game's files are such files).
// The reader trusts nothing in the file: every offset and length is checked against the bytes read,
// so a truncated, garbled or hostile file only gives "?".
#pragma once

#include "platform/Text.h"
#include <string>
#include <string_view>

// Files larger than this are read only up to it.
constexpr size_t MaxVersionImageSize = 64u * 1024 * 1024;

// The "FileVersion" string of the file's version resource, in the language and code page of the
// resource's first translation; "?" when the file is no Windows executable or lacks any of these.
// The running program's own file gives the build's version (QUILLET_VERSION).
AnsiString FileVersionText(const AnsiString &fileName);

// The same, read from the bytes of a file.
AnsiString FileVersionTextOfImage(std::string_view image);

// The version resource (the VS_VERSIONINFO block) of a PE image; empty when there is none.
std::string_view FindVersionResource(std::string_view image);

// The value bytes of a sub-block of a version resource, such as "\VarFileInfo\Translation" or
// "\StringFileInfo\040904B0\FileVersion" (a text value is UTF-16, little-endian, as stored).
// Names compare without regard to letter case. False when the path is missing.
bool QueryVersionValue(std::string_view block, const AnsiString &subBlock, std::string &value);
