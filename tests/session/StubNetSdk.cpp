// A device SDK library that lacks one ordinal, for the binding's error path.
#include "SdkDefs.h"

namespace {
int TV_SDK_CALL anything()
{
    return 0;
}
} // namespace

extern "C" __attribute__((visibility("default"))) void *tv_proc_by_ordinal(int nOrdinal)
{
    if (nOrdinal == tvsdk::NetOrdSendJson)
        return nullptr;
    return reinterpret_cast<void *>(&anything);
}
