// The exported functions of libNetSDK, one per ordinal, with exactly the
// signatures of the SDK boundary, and the ordinal resolver.
#include "NetSdk.h"
#include "SdkDefs.h"

using netsdk::NetSdk;

// The entry points have the C names the ordinal table gives them
// (tv_net_<role>), so that the module-definition files made from it export
// them by ordinal on Windows; elsewhere they stay hidden and are reached
// through tv_proc_by_ordinal.
#define TV_NET_ENTRY extern "C" int TV_SDK_CALL

TV_NET_ENTRY tv_net_setP2PServer(int, const char *szServer, int)
{
    return NetSdk::instance().setP2PServer(szServer);
}
TV_NET_ENTRY tv_net_init(tvsdk::DisconnectCallback cb, void *pUser)
{
    return NetSdk::instance().init(cb, pUser);
}
TV_NET_ENTRY tv_net_sdkSwitch(int nOn)
{
    return NetSdk::instance().sdkSwitch(nOn);
}
TV_NET_ENTRY tv_net_setAppInfo(const void *pAppInfo)
{
    return NetSdk::instance().setAppInfo(pAppInfo);
}
TV_NET_ENTRY tv_net_setConnectTime(int nWaitMs, int nTryTimes)
{
    return NetSdk::instance().setConnectTime(nWaitMs, nTryTimes);
}
TV_NET_ENTRY tv_net_login(const char *szAddress, unsigned short wPort, const char *szUser,
                          const char *szPassword, void *pDeviceInfo, int *pError, int nKind)
{
    return NetSdk::instance().login(szAddress, wPort, szUser, szPassword, pDeviceInfo, pError,
                                    nKind);
}
TV_NET_ENTRY tv_net_getLastError()
{
    return NetSdk::instance().lastError();
}
TV_NET_ENTRY tv_net_setKeepLife(int nLoginHandle, int nPeriodSec, int nDeadSec)
{
    return NetSdk::instance().setKeepLife(nLoginHandle, nPeriodSec, nDeadSec);
}
TV_NET_ENTRY tv_net_getDevConfig(int nLoginHandle, int nCommand, int nChannel, void *pBuffer,
                                 int nBufferSize, int *pReturned, int nTimeoutMs)
{
    return NetSdk::instance().getConfig(nLoginHandle, nCommand, nChannel, pBuffer, nBufferSize,
                                        pReturned, nTimeoutMs);
}
TV_NET_ENTRY tv_net_realPlay(int nLoginHandle, void *pClientInfo, unsigned char)
{
    return NetSdk::instance().realPlay(nLoginHandle, pClientInfo);
}
TV_NET_ENTRY tv_net_setRealDataCallback(int nRealPlayHandle, tvsdk::RealDataCallback cb,
                                        void *pUser)
{
    return NetSdk::instance().setRealDataCallback(nRealPlayHandle, cb, pUser);
}
TV_NET_ENTRY tv_net_delRealDataCallback(int nRealPlayHandle, tvsdk::RealDataCallback, void *)
{
    return NetSdk::instance().delRealDataCallback(nRealPlayHandle);
}
TV_NET_ENTRY tv_net_stopRealPlay(int nRealPlayHandle, void *)
{
    return NetSdk::instance().stopRealPlay(nRealPlayHandle);
}
TV_NET_ENTRY tv_net_sendJson(int nLoginHandle, const char *szName, int nMsgId, int nChannel,
                             const char *szJson, int nLength, int nTimeoutMs)
{
    return NetSdk::instance().sendJson(nLoginHandle, szName, nMsgId, nChannel, szJson, nLength,
                                       nTimeoutMs);
}
TV_NET_ENTRY tv_net_logout(int nLoginHandle)
{
    return NetSdk::instance().logout(nLoginHandle);
}
TV_NET_ENTRY tv_net_cleanup()
{
    return NetSdk::instance().cleanup();
}

namespace {

// Each entry is checked against the boundary's typedef at compile time.
template <typename Fn> void *entry(Fn fn)
{
    return reinterpret_cast<void *>(fn);
}

} // namespace

#ifdef _WIN32
extern "C" void *tv_proc_by_ordinal(int nOrdinal);
#else
extern "C" __attribute__((visibility("default"))) void *tv_proc_by_ordinal(int nOrdinal);
#endif

void *tv_proc_by_ordinal(int nOrdinal)
{
    using namespace tvsdk;
    switch (nOrdinal) {
    case NetOrdSetP2PServer:
        return entry<FnSetP2PServer>(tv_net_setP2PServer);
    case NetOrdInit:
        return entry<FnInit>(tv_net_init);
    case NetOrdSdkSwitch:
        return entry<FnSdkSwitch>(tv_net_sdkSwitch);
    case NetOrdSetAppInfo:
        return entry<FnSetAppInfo>(tv_net_setAppInfo);
    case NetOrdSetConnectTime:
        return entry<FnSetConnectTime>(tv_net_setConnectTime);
    case NetOrdLogin:
        return entry<FnLogin>(tv_net_login);
    case NetOrdGetLastError:
        return entry<FnGetLastError>(tv_net_getLastError);
    case NetOrdSetKeepLife:
        return entry<FnSetKeepLife>(tv_net_setKeepLife);
    case NetOrdGetDevConfig:
        return entry<FnGetDevConfig>(tv_net_getDevConfig);
    case NetOrdRealPlay:
        return entry<FnRealPlay>(tv_net_realPlay);
    case NetOrdSetRealDataCallback:
        return entry<FnSetRealDataCallback>(tv_net_setRealDataCallback);
    case NetOrdDelRealDataCallback:
        return entry<FnDelRealDataCallback>(tv_net_delRealDataCallback);
    case NetOrdStopRealPlay:
        return entry<FnStopRealPlay>(tv_net_stopRealPlay);
    case NetOrdSendJson:
        return entry<FnSendJson>(tv_net_sendJson);
    case NetOrdLogout:
        return entry<FnLogout>(tv_net_logout);
    case NetOrdCleanup:
        return entry<FnCleanup>(tv_net_cleanup);
    default:
        return nullptr;
    }
}
