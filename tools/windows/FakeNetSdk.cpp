// A stand-in for the device SDK, built as NetSDK.dll and exported by ordinal
// only through the module-definition files the ordinal table makes (the
// real library's own, so the stand-in carries its C names). Each function
// checks that its arguments arrived as the binding's typedefs pass them and
// answers so the check program can tell. Callbacks are made on a thread of
// this library, as the real one does.
#include "../../sdk/contract/SdkDefs.h"

#include <cstring>
#include <type_traits>
#include <windows.h>

using namespace tvsdk;

namespace {

constexpr int kHandle = 42;
constexpr int kCloudHandle = 43;

DisconnectCallback g_disconnect = nullptr;
void *g_disconnectUser = nullptr;
int g_lastError = 0;

struct CallbackCall
{
    RealDataCallback data;
    DisconnectCallback disconnect;
    int handle;
    void *user;
    int result;
};

DWORD WINAPI callbackThread(LPVOID param)
{
    auto *call = static_cast<CallbackCall *>(param);
    static unsigned char block[4] = {0, 0, 1, 0x67};
    if (call->data)
        call->result = call->data(call->handle, 0, block, int(sizeof block), call->user);
    else
        call->disconnect(call->handle, nullptr, 0, call->user);
    return 0;
}

// Runs the callback on a thread of its own and waits for it.
bool callOnOwnThread(CallbackCall &call)
{
    HANDLE thread = CreateThread(nullptr, 0, callbackThread, &call, 0, nullptr);
    if (!thread)
        return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
}

int fail(int code)
{
    g_lastError = code;
    return -1;
}

} // namespace

extern "C" {

int TV_SDK_CALL tv_net_setP2PServer(int nReserved, const char *szServer, int nReserved2)
{
    return nReserved == 0 && nReserved2 == 0 && szServer &&
                   strnlen(szServer, kP2PServerBufferSize) < kP2PServerBufferSize
               ? 1
               : 0;
}

int TV_SDK_CALL tv_net_init(DisconnectCallback cbDisconnect, void *pUser)
{
    g_disconnect = cbDisconnect;
    g_disconnectUser = pUser;
    return cbDisconnect ? 1 : 0;
}

int TV_SDK_CALL tv_net_sdkSwitch(int nOn)
{
    return nOn;
}

int TV_SDK_CALL tv_net_setAppInfo(const void *pAppInfo)
{
    const auto *record = static_cast<const unsigned char *>(pAppInfo);
    if (!record || readInt32(record, AppIdentity::kFlag) != 1)
        return -1;
    const char *first = reinterpret_cast<const char *>(record + AppIdentity::kFirst);
    return strnlen(first, AppIdentity::kFieldSize) == AppIdentity::kKeyLength ? 0 : -1;
}

int TV_SDK_CALL tv_net_setConnectTime(int nWaitMs, int nTryTimes)
{
    return nWaitMs > 0 && nTryTimes > 0 ? 1 : 0;
}

int TV_SDK_CALL tv_net_login(const char *szAddress, unsigned short wPort, const char *szUser,
                             const char *szPassword, void *pDeviceInfo, int *pError, int nKind)
{
    auto *info = static_cast<unsigned char *>(pDeviceInfo);
    const bool byAddress =
        nKind == kLoginKindAddress && wPort == 34567 && std::strcmp(szAddress, "192.168.1.10") == 0;
    const bool byCloud =
        nKind == kLoginKindCloud && wPort == 0 && std::strcmp(szAddress, "0123456789abcdef") == 0;
    if (!info || !pError || !(byAddress || byCloud) || std::strcmp(szUser, "admin") != 0 ||
        std::strcmp(szPassword, "secret") != 0) {
        *pError = ErrPasswordWrong;
        g_lastError = ErrPasswordWrong;
        return 0;
    }
    std::memset(info, 0, DeviceInfo::kSize);
    writeInt32(info, DeviceInfo::kChannelBaseA, 0);
    writeInt32(info, DeviceInfo::kChannelBaseB, 1);
    writeInt32(info, DeviceInfo::kLoginCode, 7);
    *pError = 0;
    return byAddress ? kHandle : kCloudHandle;
}

int TV_SDK_CALL tv_net_getLastError()
{
    return g_lastError;
}

int TV_SDK_CALL tv_net_setKeepLife(int nLoginHandle, int nPeriodSec, int nDeadSec)
{
    return nLoginHandle == kHandle && nPeriodSec > 0 && nDeadSec > nPeriodSec ? 1 : 0;
}

int TV_SDK_CALL tv_net_getDevConfig(int nLoginHandle, int nCommand, int nChannel, void *pBuffer,
                                    int nBufferSize, int *pReturned, int nTimeoutMs)
{
    auto *buffer = static_cast<unsigned char *>(pBuffer);
    if (nLoginHandle != kHandle || nChannel != kConfigChannelAll || !buffer || !pReturned)
        return fail(-10000);
    if (nCommand == kCmdDisplayResolution && nBufferSize == int(DisplayResolution::kSize) &&
        nTimeoutMs == kDisplayResolutionTimeoutMs) {
        writeInt32(buffer, DisplayResolution::kHeight, 1080);
        writeInt32(buffer, DisplayResolution::kWidth, 1920);
        *pReturned = int(DisplayResolution::kSize);
        return 1;
    }
    if (nCommand == kCmdSystemFunction && nBufferSize == int(SystemFunction::kSize) &&
        nTimeoutMs == kSystemFunctionTimeoutMs) {
        std::memset(buffer, 0, SystemFunction::kSize);
        buffer[SystemFunction::kRemoteCtrlFlag] = 1;
        *pReturned = int(SystemFunction::kSize);
        return 1;
    }
    return fail(-10002);
}

int TV_SDK_CALL tv_net_realPlay(int nLoginHandle, void *pClientInfo, unsigned char byFlag)
{
    const auto *client = static_cast<const unsigned char *>(pClientInfo);
    if (nLoginHandle != kHandle || !client || byFlag != 1)
        return 0;
    return 100 + readInt32(client, ClientInfo::kChannel);
}

int TV_SDK_CALL tv_net_setRealDataCallback(int nRealPlayHandle, RealDataCallback cbData,
                                           void *pUser)
{
    if (nRealPlayHandle <= 0 || !cbData)
        return 0;
    CallbackCall call{cbData, nullptr, nRealPlayHandle, pUser, 0};
    return callOnOwnThread(call) ? call.result : 0;
}

int TV_SDK_CALL tv_net_delRealDataCallback(int nRealPlayHandle, RealDataCallback cbData,
                                           void *pUser)
{
    return nRealPlayHandle > 0 && cbData && pUser ? 1 : 0;
}

int TV_SDK_CALL tv_net_stopRealPlay(int nRealPlayHandle, void *pReserved)
{
    return nRealPlayHandle > 0 && !pReserved ? 1 : 0;
}

int TV_SDK_CALL tv_net_sendJson(int nLoginHandle, const char *szName, int nMsgId, int nChannel,
                                const char *szJson, int nLength, int nTimeoutMs)
{
    if (nLoginHandle != kHandle || std::strcmp(szName, kRemoteCtrlCommand) != 0 ||
        nMsgId != kRemoteCtrlMsgId || nChannel != kRemoteCtrlChannel ||
        nTimeoutMs != kRemoteCtrlTimeoutMs || !szJson || int(std::strlen(szJson)) != nLength)
        return fail(-10003);
    return nLength;
}

// Reports the session as lost through the disconnect callback before it
// closes, so the check sees that callback cross the boundary too.
int TV_SDK_CALL tv_net_logout(int nLoginHandle)
{
    if (nLoginHandle != kHandle || !g_disconnect)
        return 0;
    CallbackCall call{nullptr, g_disconnect, nLoginHandle, g_disconnectUser, 0};
    return callOnOwnThread(call) ? 1 : 0;
}

int TV_SDK_CALL tv_net_cleanup()
{
    g_disconnect = nullptr;
    return 1;
}

} // extern "C"

// A fake whose signature drifted from the binding's typedef would still link
// by ordinal and then corrupt the stack on 32-bit; refuse to build instead.
#define TV_SAME(fn, type) static_assert(std::is_same<decltype(&fn), type>::value, #fn)
TV_SAME(tv_net_setP2PServer, FnSetP2PServer);
TV_SAME(tv_net_init, FnInit);
TV_SAME(tv_net_sdkSwitch, FnSdkSwitch);
TV_SAME(tv_net_setAppInfo, FnSetAppInfo);
TV_SAME(tv_net_setConnectTime, FnSetConnectTime);
TV_SAME(tv_net_login, FnLogin);
TV_SAME(tv_net_getLastError, FnGetLastError);
TV_SAME(tv_net_setKeepLife, FnSetKeepLife);
TV_SAME(tv_net_getDevConfig, FnGetDevConfig);
TV_SAME(tv_net_realPlay, FnRealPlay);
TV_SAME(tv_net_setRealDataCallback, FnSetRealDataCallback);
TV_SAME(tv_net_delRealDataCallback, FnDelRealDataCallback);
TV_SAME(tv_net_stopRealPlay, FnStopRealPlay);
TV_SAME(tv_net_sendJson, FnSendJson);
TV_SAME(tv_net_logout, FnLogout);
TV_SAME(tv_net_cleanup, FnCleanup);
