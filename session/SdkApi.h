#pragma once
// The table of SDK functions the program calls through. It is filled once at
// start-up by SdkBinding (from the real libraries) or by a test double, and
// read from then on; nothing writes it while SDK threads run.

#include "SdkDefs.h"

struct SdkApi
{
    // device SDK
    tvsdk::FnSetP2PServer setP2PServer = nullptr;
    tvsdk::FnInit init = nullptr;
    tvsdk::FnSdkSwitch sdkSwitch = nullptr;
    tvsdk::FnSetAppInfo setAppInfo = nullptr;
    tvsdk::FnSetConnectTime setConnectTime = nullptr;
    tvsdk::FnLogin login = nullptr;
    tvsdk::FnGetLastError getLastError = nullptr;
    tvsdk::FnSetKeepLife setKeepLife = nullptr;
    tvsdk::FnGetDevConfig getDevConfig = nullptr;
    tvsdk::FnRealPlay realPlay = nullptr;
    tvsdk::FnSetRealDataCallback setRealDataCallback = nullptr;
    tvsdk::FnDelRealDataCallback delRealDataCallback = nullptr;
    tvsdk::FnStopRealPlay stopRealPlay = nullptr;
    tvsdk::FnSendJson sendJson = nullptr;
    tvsdk::FnLogout logout = nullptr;
    tvsdk::FnCleanup cleanup = nullptr;
    // play SDK
    tvsdk::FnPlayOpenStream playOpenStream = nullptr;
    tvsdk::FnPlayPlay playPlay = nullptr;
    tvsdk::FnPlayInputData playInputData = nullptr;
    tvsdk::FnPlayStop playStop = nullptr;
    tvsdk::FnPlayCloseStream playCloseStream = nullptr;
    tvsdk::FnPlayFreePort playFreePort = nullptr;
};

// The process-wide table.
SdkApi &sdkApi();
