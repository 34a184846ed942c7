#pragma once
// Result codes and data kinds of this project's device SDK (libNetSDK),
// beyond the login codes the recorder reports (tvsdk::LoginError).
// docs/protocol.md lists them with their meaning.

namespace netsdk {

enum Code : int
{
    ErrNotInitialised = -10001,   // a call before initialise (52) or after clean-up (6)
    ErrInvalidParameter = -10002, // null pointer, bad size, malformed identity record
    ErrInvalidHandle = -10003,    // no such login or real-play handle
    ErrConnectFailed = -10004,    // the recorder refused the connection or was unreachable
    ErrTimeOut = -10005,          // no answer within the timeout
    ErrBufferTooSmall = -10006,   // the caller's buffer cannot hold the record
    ErrUnknownCommand = -10007,   // the recorder knows no such configuration command
    ErrProtocol = -10008,         // the peer sent something this SDK cannot parse
    ErrDisconnected = -10009,     // the session was lost
    ErrRefused = -10010,          // the recorder refused the request (e.g. real play)
    ErrNoP2PServer = -10011,      // a cloud login without a P2P server set (137)
    ErrP2PUnreachable = -10012,   // the P2P service did not answer
    ErrRecorderFailed = -10013,   // the recorder failed to produce the answer
    ErrNoResources = -10014,      // the system gave no means to wait on the session's socket
    ErrNotFindDevice = -11307,    // the P2P service knows no such serial
    ErrLoginCodeWrong = -11318,   // the login code was missing or wrong
};

// The data type passed to the real-data callback.
enum RealDataType : int
{
    RealDataVideo = 1,    // one H.264 access unit, Annex B byte stream
    RealDataVideoKey = 2, // the same, an IDR access unit that starts with SPS and PPS
};

constexpr int kDefaultP2PPort = 34568;
constexpr int kDefaultConnectWaitMs = 3000;
constexpr int kDefaultConnectTries = 1;
// More channels than any recorder has; a login reply that claims more is
// refused.
constexpr int kMaxChannels = 65536;
constexpr int kDefaultKeepAliveSec = 10;
constexpr int kDefaultDeadSec = 60;
// Requests without a timeout argument of their own (real play, stop, logout).
constexpr int kRequestTimeoutMs = 3000;
constexpr int kStopTimeoutMs = 1000;

} // namespace netsdk
