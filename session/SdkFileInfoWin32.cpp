#ifdef _WIN32
#include "SdkFileInfo.h"

#include <windows.h>

#include <vector>

namespace {

std::string toUtf8(const wchar_t *text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(std::size_t(size - 1));
    return out;
}

// The maker as the first translation of the version resource names it.
std::string companyName(const std::vector<unsigned char> &block)
{
    struct Translation
    {
        WORD language;
        WORD codePage;
    } *translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void **>(&translations), &size) ||
        size < sizeof(Translation))
        return std::string();
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", translations[0].language,
             translations[0].codePage);
    wchar_t *text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void **>(&text), &length) || !text ||
        length == 0)
        return std::string();
    return toUtf8(text);
}

} // namespace

SdkFileInfo SdkFileInfo::read(const SdkPath &path)
{
    SdkFileInfo info;
    const std::wstring native = SdkLibrary::nativePath(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(native.c_str(), &ignored);
    if (size == 0) {
        info.error = "the file has no version information";
        return info;
    }
    std::vector<unsigned char> block(size);
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT fixedSize = 0;
    if (!GetFileVersionInfoW(native.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void **>(&fixed), &fixedSize) ||
        !fixed || fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        info.error = "its version information cannot be read";
        return info;
    }
    info.bHasVersion = true;
    info.version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                   std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                   std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                   std::to_string(LOWORD(fixed->dwFileVersionLS));
    info.company = companyName(block);
    return info;
}
#endif
