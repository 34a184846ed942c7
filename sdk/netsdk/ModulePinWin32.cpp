#include "ModulePin.h"

#include <windows.h>

namespace netsdk {

namespace {
const char kAnchor = 0; // any address inside this library
} // namespace

bool pinThisModule()
{
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_PIN,
                              reinterpret_cast<LPCWSTR>(&kAnchor), &module) != 0;
}

} // namespace netsdk
