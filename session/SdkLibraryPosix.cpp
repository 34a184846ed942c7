#ifndef _WIN32
#include "SdkDefs.h"
#include "SdkLibrary.h"

#include <dlfcn.h>

SdkLibrary::~SdkLibrary() = default;

std::string SdkLibrary::fileName(const std::string &baseName)
{
    return "lib" + baseName + ".so";
}

SdkPath SdkLibrary::join(const SdkPath &directory, const std::string &fileName)
{
    return directory + "/" + fileName;
}

bool SdkLibrary::open(const SdkPath &path, std::string &error)
{
    close();
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char *why = dlerror();
        error = "cannot load " + path + (why ? std::string(": ") + why : std::string());
        return false;
    }
    void *resolver = dlsym(handle, tvsdk::kOrdinalResolverSymbol);
    if (!resolver) {
        error = path + " does not export " + tvsdk::kOrdinalResolverSymbol;
        dlclose(handle);
        return false;
    }
    m_handle = handle;
    m_resolver = resolver;
    return true;
}

void *SdkLibrary::resolve(int nOrdinal) const
{
    if (!m_resolver)
        return nullptr;
    auto resolver = reinterpret_cast<tvsdk::OrdinalResolver>(m_resolver);
    return resolver(nOrdinal);
}

void SdkLibrary::close()
{
    if (m_handle)
        dlclose(m_handle);
    m_handle = nullptr;
    m_resolver = nullptr;
}
#endif
