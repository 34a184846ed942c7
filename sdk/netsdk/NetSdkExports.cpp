// The exported functions of libNetSDK, one per ordinal, with exactly the
// signatures of the SDK boundary, and the ordinal resolver.
#include "NetSdk.h"
#include "SdkDefs.h"

using netsdk::NetSdk;

namespace {

int TV_SDK_CALL setP2PServer(int, const char *szServer, int)
{
    return NetSdk::instance().setP2PServer(szServer);
}
int TV_SDK_CALL init(tvsdk::DisconnectCallback cb, void *pUser)
{
    return NetSdk::instance().init(cb, pUser);
}
int TV_SDK_CALL sdkSwitch(int nOn)
{
    return NetSdk::instance().sdkSwitch(nOn);
}
int TV_SDK_CALL setAppInfo(const void *pAppInfo)
{
    return NetSdk::instance().setAppInfo(pAppInfo);
}
int TV_SDK_CALL setConnectTime(int nWaitMs, int nTryTimes)
{
    return NetSdk::instance().setConnectTime(nWaitMs, nTryTimes);
}
int TV_SDK_CALL login(const char *szAddress, unsigned short wPort, const char *szUser,
                      const char *szPassword, void *pDeviceInfo, int *pError, int nKind)
{
    return NetSdk::instance().login(szAddress, wPort, szUser, szPassword, pDeviceInfo, pError,
                                    nKind);
}
int TV_SDK_CALL getLastError()
{
    return NetSdk::instance().lastError();
}
int TV_SDK_CALL setKeepLife(int nLoginHandle, int nPeriodSec, int nDeadSec)
{
    return NetSdk::instance().setKeepLife(nLoginHandle, nPeriodSec, nDeadSec);
}
int TV_SDK_CALL getDevConfig(int nLoginHandle, int nCommand, int nChannel, void *pBuffer,
                             int nBufferSize, int *pReturned, int nTimeoutMs)
{
    return NetSdk::instance().getConfig(nLoginHandle, nCommand, nChannel, pBuffer, nBufferSize,
                                        pReturned, nTimeoutMs);
}
int TV_SDK_CALL realPlay(int nLoginHandle, void *pClientInfo, unsigned char)
{
    return NetSdk::instance().realPlay(nLoginHandle, pClientInfo);
}
int TV_SDK_CALL setRealDataCallback(int nRealPlayHandle, tvsdk::RealDataCallback cb, void *pUser)
{
    return NetSdk::instance().setRealDataCallback(nRealPlayHandle, cb, pUser);
}
int TV_SDK_CALL delRealDataCallback(int nRealPlayHandle, tvsdk::RealDataCallback, void *)
{
    return NetSdk::instance().delRealDataCallback(nRealPlayHandle);
}
int TV_SDK_CALL stopRealPlay(int nRealPlayHandle, void *)
{
    return NetSdk::instance().stopRealPlay(nRealPlayHandle);
}
int TV_SDK_CALL sendJson(int nLoginHandle, const char *szName, int nMsgId, int nChannel,
                         const char *szJson, int nLength, int nTimeoutMs)
{
    return NetSdk::instance().sendJson(nLoginHandle, szName, nMsgId, nChannel, szJson, nLength,
                                       nTimeoutMs);
}
int TV_SDK_CALL logout(int nLoginHandle)
{
    return NetSdk::instance().logout(nLoginHandle);
}
int TV_SDK_CALL cleanup()
{
    return NetSdk::instance().cleanup();
}

// Each entry is checked against the boundary's typedef at compile time.
template <typename Fn> void *entry(Fn fn)
{
    return reinterpret_cast<void *>(fn);
}

} // namespace

extern "C" __attribute__((visibility("default"))) void *tv_proc_by_ordinal(int nOrdinal)
{
    using namespace tvsdk;
    switch (nOrdinal) {
    case NetOrdSetP2PServer:
        return entry<FnSetP2PServer>(setP2PServer);
    case NetOrdInit:
        return entry<FnInit>(init);
    case NetOrdSdkSwitch:
        return entry<FnSdkSwitch>(sdkSwitch);
    case NetOrdSetAppInfo:
        return entry<FnSetAppInfo>(setAppInfo);
    case NetOrdSetConnectTime:
        return entry<FnSetConnectTime>(setConnectTime);
    case NetOrdLogin:
        return entry<FnLogin>(login);
    case NetOrdGetLastError:
        return entry<FnGetLastError>(getLastError);
    case NetOrdSetKeepLife:
        return entry<FnSetKeepLife>(setKeepLife);
    case NetOrdGetDevConfig:
        return entry<FnGetDevConfig>(getDevConfig);
    case NetOrdRealPlay:
        return entry<FnRealPlay>(realPlay);
    case NetOrdSetRealDataCallback:
        return entry<FnSetRealDataCallback>(setRealDataCallback);
    case NetOrdDelRealDataCallback:
        return entry<FnDelRealDataCallback>(delRealDataCallback);
    case NetOrdStopRealPlay:
        return entry<FnStopRealPlay>(stopRealPlay);
    case NetOrdSendJson:
        return entry<FnSendJson>(sendJson);
    case NetOrdLogout:
        return entry<FnLogout>(logout);
    case NetOrdCleanup:
        return entry<FnCleanup>(cleanup);
    default:
        return nullptr;
    }
}
