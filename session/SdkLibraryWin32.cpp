#ifdef _WIN32
#include "SdkLibrary.h"

#include <windows.h>

namespace {

// The binding joins directory and file with '/', which the loader does not
// promise to accept in a path.
std::string nativePath(std::string path)
{
    for (char &c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string systemMessage(DWORD code)
{
    char *text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length =
        FormatMessageA(flags, nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = "error " + std::to_string(code);
    if (length && text) {
        std::string why(text, length);
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' '))
            why.pop_back();
        message += ": " + why;
    }
    LocalFree(text);
    return message;
}

} // namespace

SdkLibrary::~SdkLibrary() = default;

std::string SdkLibrary::fileName(const std::string &baseName)
{
    return baseName + ".dll";
}

bool SdkLibrary::open(const std::string &path, std::string &error)
{
    close();
    const std::string native = nativePath(path);
    HMODULE module = LoadLibraryA(native.c_str());
    if (!module) {
        error = "cannot load " + native + " (" + systemMessage(GetLastError()) + ")";
        return false;
    }
    m_handle = reinterpret_cast<void *>(module);
    return true;
}

void *SdkLibrary::resolve(int nOrdinal) const
{
    // Ordinals live in the low word; anything else would be read as a name.
    if (!m_handle || nOrdinal <= 0 || nOrdinal > 0xFFFF)
        return nullptr;
    FARPROC proc = GetProcAddress(reinterpret_cast<HMODULE>(m_handle),
                                  MAKEINTRESOURCEA(static_cast<WORD>(nOrdinal)));
    return reinterpret_cast<void *>(proc);
}

void SdkLibrary::close()
{
    if (m_handle)
        FreeLibrary(reinterpret_cast<HMODULE>(m_handle));
    m_handle = nullptr;
    m_resolver = nullptr;
}
#endif
