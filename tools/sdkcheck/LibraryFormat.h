#pragma once
// What kind of library a file is, read from its first bytes: a Windows DLL
// (PE) or an ELF shared library, and for which word size. The SDK check
// tells a 32-bit DLL from a 64-bit one before the loader refuses it with a
// message no administrator can read. Plain C++.

#include <cstddef>
#include <string>

class LibraryFormat
{
public:
    enum class Kind
    {
        Unreadable,  // no such file, or it cannot be read
        NotALibrary, // neither PE nor ELF, or cut short
        Bits32,
        Bits64,
        OtherMachine, // PE or ELF for a processor this program never runs on
    };

    static Kind ofFile(const std::string &path);
#ifdef _WIN32
    static Kind ofFile(const std::wstring &path);
#endif
    static Kind ofBytes(const unsigned char *data, std::size_t size);
    // The kind this program itself is, which the SDK libraries must match.
    static Kind own()
    {
        return sizeof(void *) == 8 ? Kind::Bits64 : Kind::Bits32;
    }
};
