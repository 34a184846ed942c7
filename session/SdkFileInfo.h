#pragma once
// What a library file says about itself: the file version and the maker
// from its version information, where the platform has such a thing. The
// program's start-up trace and the SDK check both print it. No Qt here.

#include "SdkLibrary.h"

#include <string>

struct SdkFileInfo
{
    bool bHasVersion = false;
    std::string version; // "a.b.c.d"
    std::string company; // empty when the file names none
    std::string error;   // why there is no version, in plain words

    static SdkFileInfo read(const SdkPath &path);
    // One line: "version 1.2.3.4, made by X" or the reason there is none.
    std::string describe() const;
};
