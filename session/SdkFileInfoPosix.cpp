#ifndef _WIN32
#include "SdkFileInfo.h"

SdkFileInfo SdkFileInfo::read(const SdkPath &path)
{
    SdkFileInfo info;
    info.error = "shared libraries here carry no version information";
    return info;
}
#endif
