#include "LibraryFormat.h"

#include <fstream>
#include <vector>

namespace {
constexpr std::size_t kHeaderBytes = 4096;
constexpr std::size_t kPeOffsetField = 0x3c;
constexpr unsigned kMachineI386 = 0x14c;
constexpr unsigned kMachineAmd64 = 0x8664;
constexpr unsigned char kElfClass32 = 1;
constexpr unsigned char kElfClass64 = 2;

unsigned read16(const unsigned char *p)
{
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

unsigned long read32(const unsigned char *p)
{
    return read16(p) | (unsigned long)read16(p + 2) << 16;
}

LibraryFormat::Kind peKind(const unsigned char *data, std::size_t size)
{
    using Kind = LibraryFormat::Kind;
    if (size < kPeOffsetField + 4)
        return Kind::NotALibrary;
    const unsigned long pe = read32(data + kPeOffsetField);
    // The signature and the machine field must lie inside what was read.
    if (pe > size || size - pe < 6)
        return Kind::NotALibrary;
    if (data[pe] != 'P' || data[pe + 1] != 'E' || data[pe + 2] != 0 || data[pe + 3] != 0)
        return Kind::NotALibrary;
    switch (read16(data + pe + 4)) {
    case kMachineI386:
        return Kind::Bits32;
    case kMachineAmd64:
        return Kind::Bits64;
    default:
        return Kind::OtherMachine;
    }
}
} // namespace

LibraryFormat::Kind LibraryFormat::ofBytes(const unsigned char *data, std::size_t size)
{
    if (size >= 2 && data[0] == 'M' && data[1] == 'Z')
        return peKind(data, size);
    if (size >= 5 && data[0] == 0x7f && data[1] == 'E' && data[2] == 'L' && data[3] == 'F') {
        if (data[4] == kElfClass32)
            return Kind::Bits32;
        if (data[4] == kElfClass64)
            return Kind::Bits64;
        return Kind::OtherMachine;
    }
    return Kind::NotALibrary;
}

namespace {
template <typename Path> LibraryFormat::Kind readKind(const Path &path)
{
    using Kind = LibraryFormat::Kind;
    std::ifstream file(path.c_str(), std::ios::binary);
    if (!file)
        return Kind::Unreadable;
    std::vector<unsigned char> head(kHeaderBytes);
    file.read(reinterpret_cast<char *>(head.data()), std::streamsize(head.size()));
    return LibraryFormat::ofBytes(head.data(), std::size_t(file.gcount()));
}
} // namespace

LibraryFormat::Kind LibraryFormat::ofFile(const std::string &path)
{
    return readKind(path);
}

#ifdef _WIN32
LibraryFormat::Kind LibraryFormat::ofFile(const std::wstring &path)
{
    return readKind(path);
}
#endif
