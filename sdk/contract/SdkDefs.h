#pragma once
// The contract of the recorder's two SDKs: the device SDK (network session)
// and the play SDK (decoding into a window). Both are bound by ordinal only,
// so every argument list, record layout and result code that the program,
// the SDKs of this project and the recorder simulator rely on is written
// down here and nowhere else. The ordinals themselves are in the table
// SdkOrdinals.txt beside this header, from which the configure step makes
// SdkOrdinals.h and the libraries' module-definition files.
//
// This header is plain C++ on purpose: the SDK libraries of this project,
// the simulator and the Windows binding include it without Qt.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "SdkCall.h"
#include "SdkOrdinals.h"

namespace tvsdk {

// ---- callbacks -------------------------------------------------------------
// Called by the device SDK on a thread of its own when a session is lost.
typedef void(TV_SDK_CALL *DisconnectCallback)(int nLoginHandle, char *pReserved, int nReserved,
                                              void *pUser);
// Called by the device SDK on a thread of its own for every block of stream
// data; returns 1.
typedef int(TV_SDK_CALL *RealDataCallback)(int nRealPlayHandle, int nDataType, unsigned char *pData,
                                           int nLength, void *pUser);

// ---- device SDK functions --------------------------------------------------
typedef int(TV_SDK_CALL *FnSetP2PServer)(int nReserved, const char *szServer, int nReserved2);
typedef int(TV_SDK_CALL *FnInit)(DisconnectCallback cbDisconnect, void *pUser);
typedef int(TV_SDK_CALL *FnSdkSwitch)(int nOn);
typedef int(TV_SDK_CALL *FnSetAppInfo)(const void *pAppInfo);
typedef int(TV_SDK_CALL *FnSetConnectTime)(int nWaitMs, int nTryTimes);
typedef int(TV_SDK_CALL *FnLogin)(const char *szAddress, unsigned short wPort, const char *szUser,
                                  const char *szPassword, void *pDeviceInfo, int *pError,
                                  int nKind);
typedef int(TV_SDK_CALL *FnGetLastError)();
typedef int(TV_SDK_CALL *FnSetKeepLife)(int nLoginHandle, int nPeriodSec, int nDeadSec);
typedef int(TV_SDK_CALL *FnGetDevConfig)(int nLoginHandle, int nCommand, int nChannel,
                                         void *pBuffer, int nBufferSize, int *pReturned,
                                         int nTimeoutMs);
typedef int(TV_SDK_CALL *FnRealPlay)(int nLoginHandle, void *pClientInfo, unsigned char byFlag);
typedef int(TV_SDK_CALL *FnSetRealDataCallback)(int nRealPlayHandle, RealDataCallback cbData,
                                                void *pUser);
typedef int(TV_SDK_CALL *FnDelRealDataCallback)(int nRealPlayHandle, RealDataCallback cbData,
                                                void *pUser);
typedef int(TV_SDK_CALL *FnStopRealPlay)(int nRealPlayHandle, void *pReserved);
typedef int(TV_SDK_CALL *FnSendJson)(int nLoginHandle, const char *szName, int nMsgId, int nChannel,
                                     const char *szJson, int nLength, int nTimeoutMs);
typedef int(TV_SDK_CALL *FnLogout)(int nLoginHandle);
typedef int(TV_SDK_CALL *FnCleanup)();

// ---- play SDK functions ----------------------------------------------------
typedef int(TV_SDK_CALL *FnPlayOpenStream)(int nPort, unsigned char *pHeader, int nHeaderLen,
                                           int nBufferSize);
typedef int(TV_SDK_CALL *FnPlayPlay)(int nPort, void *hWnd);
typedef int(TV_SDK_CALL *FnPlayInputData)(int nPort, unsigned char *pData, int nLength);
typedef int(TV_SDK_CALL *FnPlayStop)(int nPort);
typedef int(TV_SDK_CALL *FnPlayCloseStream)(int nPort);
typedef int(TV_SDK_CALL *FnPlayFreePort)(int nPort);

// ---- fixed values passed across the boundary -------------------------------
constexpr int kLoginKindAddress = 0;
constexpr int kLoginKindCloud = 2;
constexpr int kConfigChannelAll = -1;
constexpr int kCmdSystemFunction = 9;
constexpr int kCmdDisplayResolution = 127;
constexpr int kSystemFunctionTimeoutMs = 5000;
constexpr int kDisplayResolutionTimeoutMs = 1000;
constexpr const char *kRemoteCtrlCommand = "OPRemoteCtrl";
constexpr int kRemoteCtrlMsgId = 4000;
constexpr int kRemoteCtrlChannel = -1;
constexpr int kRemoteCtrlTimeoutMs = 1000;
constexpr int kPlayStreamBufferSize = 2048000;
constexpr int kPlayHeaderLength = 1;

// ---- result codes ----------------------------------------------------------
// A call's result, its error out-parameter and the last error (41) hold 0
// for success or one of these; the recorder's replies carry the same codes.
// docs/protocol.md says when each comes.
enum Result : int
{
    ResultOk = 0,
    // The device SDK's own.
    ErrNotInitialised = -10001,   // a call before initialise (52) or after clean-up (6)
    ErrInvalidParameter = -10002, // null pointer, bad size, malformed identity record
    ErrInvalidHandle = -10003,    // no such login or real-play handle
    ErrConnectFailed = -10004,    // the recorder refused the connection or was unreachable
    ErrTimeOut = -10005,          // no answer within the timeout
    ErrBufferTooSmall = -10006,   // the caller's buffer cannot hold the record
    ErrUnknownCommand = -10007,   // the recorder knows no such configuration command
    ErrProtocol = -10008,         // the peer sent something the SDK cannot parse
    ErrDisconnected = -10009,     // the session was lost
    ErrRefused = -10010,          // the recorder refused the request (e.g. real play)
    ErrNoP2PServer = -10011,      // a cloud login without a P2P server set (137)
    ErrP2PUnreachable = -10012,   // the P2P service did not answer
    ErrRecorderFailed = -10013,   // the recorder failed to produce the answer
    ErrNoResources = -10014,      // the system gave a session no thread or no way to wait
    // The recorder's refusals of a login.
    ErrNoPower = -11300,
    ErrPasswordWrong = -11301,
    ErrUserNotExist = -11302,
    ErrUserLocked = -11303,
    ErrUserInBlacklist = -11304,
    ErrUserAlreadyLogged = -11306,
    ErrNotFindDevice = -11307, // also the P2P service's answer for a serial it does not know
    ErrPasswordWrong2 = -11308,
    ErrPasswordWrong3 = -11314,
    ErrPasswordWrong4 = -11315,
    ErrUserReserved = -11316,
    ErrLoginCodeWrong = -11318, // the login code was missing or wrong
};

// The last error right after a successful cloud login through an agent:
// the session is open, but the recorder cannot be operated through it.
constexpr int kErrorAgentLogin = -11609;

// The data type handed to the real-data callback.
enum RealDataType : int
{
    RealDataVideo = 1,    // one H.264 access unit, Annex B byte stream
    RealDataVideoKey = 2, // the same, an IDR access unit that starts with SPS and PPS
};

// ---- records: byte layouts, integers little-endian 32-bit ------------------
namespace DeviceInfo {
constexpr std::size_t kSize = 832;
constexpr std::size_t kChannelBaseA = 288;
constexpr std::size_t kChannelBaseB = 324;
constexpr std::size_t kErrorText = 444;
constexpr std::size_t kIntArray = 704;
constexpr std::size_t kIntArrayCount = 32;
constexpr std::size_t kLoginCode = kIntArray + (kIntArrayCount - 1) * 4; // 828
static_assert(kLoginCode == 828, "login code sits in the last int of the array");
} // namespace DeviceInfo

namespace SystemFunction {
constexpr std::size_t kSize = 229;
constexpr std::size_t kFlags = 114;
constexpr std::size_t kRemoteCtrlFlagIndex = 98;
constexpr std::size_t kRemoteCtrlFlag = kFlags + kRemoteCtrlFlagIndex; // 212
} // namespace SystemFunction

namespace DisplayResolution {
constexpr std::size_t kSize = 8;
constexpr std::size_t kHeight = 0;
constexpr std::size_t kWidth = 4;
} // namespace DisplayResolution

namespace ClientInfo {
constexpr std::size_t kSize = 24;
constexpr std::size_t kChannel = 0;
constexpr std::size_t kStreamType = 4;
constexpr std::size_t kMode = 8;
constexpr std::size_t kReserved = 12;
constexpr std::size_t kWindow = 16;
constexpr std::size_t kWindowSize = 8;
} // namespace ClientInfo

namespace AppIdentity {
constexpr std::size_t kSize = 196;
constexpr std::size_t kFieldSize = 64;
constexpr std::size_t kFirst = 0;
constexpr std::size_t kSecond = 64;
constexpr std::size_t kThird = 128;
constexpr std::size_t kFlag = 192;
constexpr std::size_t kKeyLength = 32;
} // namespace AppIdentity

// The server-address buffer handed to the set-P2P-server call.
constexpr std::size_t kP2PServerBufferSize = 64;

inline std::int32_t readInt32(const unsigned char *record, std::size_t offset)
{
    std::uint32_t v = std::uint32_t(record[offset]) | std::uint32_t(record[offset + 1]) << 8 |
                      std::uint32_t(record[offset + 2]) << 16 |
                      std::uint32_t(record[offset + 3]) << 24;
    return std::int32_t(v);
}

inline void writeInt32(unsigned char *record, std::size_t offset, std::int32_t value)
{
    std::uint32_t v = std::uint32_t(value);
    record[offset] = std::uint8_t(v);
    record[offset + 1] = std::uint8_t(v >> 8);
    record[offset + 2] = std::uint8_t(v >> 16);
    record[offset + 3] = std::uint8_t(v >> 24);
}

// The single C function each SDK library of this project exports on
// platforms without ordinals: it maps an ordinal to its function.
constexpr const char *kOrdinalResolverSymbol = "tv_proc_by_ordinal";
extern "C" typedef void *(*OrdinalResolver)(int nOrdinal);

} // namespace tvsdk
