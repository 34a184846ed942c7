#ifdef _WIN32
#include "SdkLibrary.h"

#include <windows.h>

SdkLibrary::~SdkLibrary() = default;

std::string SdkLibrary::fileName(const std::string &baseName)
{
    return baseName + ".dll";
}

bool SdkLibrary::open(const std::string &path, std::string &error)
{
    close();
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    m_handle = reinterpret_cast<void *>(module);
    return true;
}

void *SdkLibrary::resolve(int nOrdinal) const
{
    if (!m_handle)
        return nullptr;
    FARPROC proc = GetProcAddress(reinterpret_cast<HMODULE>(m_handle), MAKEINTRESOURCEA(nOrdinal));
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
