#pragma once
// Loads build/libNetSDK.so through the project's SdkLibrary and fills the
// device-SDK half of an SdkApi, for tests that need no play SDK. The library
// stays loaded for the life of the process.

#include "SdkApi.h"

#include <QString>

class NetSdkLoader
{
public:
    static bool load(SdkApi &api, QString &error);
};
