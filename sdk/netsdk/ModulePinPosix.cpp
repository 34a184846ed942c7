#include "ModulePin.h"

#include <dlfcn.h>

namespace netsdk {

namespace {
const char kAnchor = 0; // any address inside this library
} // namespace

bool pinThisModule()
{
    Dl_info info{};
    if (!::dladdr(&kAnchor, &info) || !info.dli_fname)
        return false;
    // A reference never given back, on an object marked never to unload.
    return ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
}

} // namespace netsdk
