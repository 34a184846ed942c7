#pragma once
// Binds the device SDK and the play SDK from the application directory and
// fills an SdkApi with every ordinal the program calls. Plain C++, no Qt.

#include "SdkApi.h"
#include "SdkLibrary.h"

#include <string>

class SdkBinding
{
public:
    static constexpr const char *kNetSdkName = "NetSDK";
    static constexpr const char *kPlaySdkName = "H264Play";

    // Loads both libraries from appDir. On failure `error` names the library
    // and, where the library loaded, the ordinal that is missing; `api` is
    // left untouched then.
    static bool bind(const SdkPath &appDir, SdkApi &api, std::string &error);
};
