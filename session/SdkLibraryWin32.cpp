#ifdef _WIN32
#include "SdkLibrary.h"

#include <windows.h>

std::wstring SdkLibrary::nativePath(std::wstring path)
{
    for (wchar_t &c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

namespace {

// Error texts are UTF-8, whatever the system's 8-bit code page: a path it
// cannot spell must still show in the message.
std::string toUtf8(const wchar_t *text, int length)
{
    if (length <= 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], size, nullptr, nullptr);
    return out;
}

std::string systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length =
        FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message = "error " + std::to_string(code);
    if (length && text) {
        std::string why = toUtf8(text, int(length));
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' '))
            why.pop_back();
        if (!why.empty())
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

SdkPath SdkLibrary::join(const SdkPath &directory, const std::string &fileName)
{
    return directory + L"/" + std::wstring(fileName.begin(), fileName.end());
}

bool SdkLibrary::open(const SdkPath &path, std::string &error)
{
    close();
    const std::wstring native = nativePath(path);
    HMODULE module = LoadLibraryW(native.c_str());
    if (!module) {
        const DWORD code = GetLastError();
        error = "cannot load " + toUtf8(native.c_str(), int(native.size())) + " (" +
                systemMessage(code) + ")";
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
