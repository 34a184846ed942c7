#pragma once
// Constants of the wire format shared by libNetSDK and the recorder
// simulator. docs/protocol.md describes the format in full. Replies carry
// the result codes of the SDK contract (SdkDefs.h), and media the data
// types its real-data callback hands on.

#include "SdkDefs.h"

#include <cstddef>
#include <cstdint>

namespace tvwire {

constexpr std::uint8_t kMagic[4] = {'T', 'V', 'R', 'P'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderSize = 20;

// Control messages are small; only media carries whole access units. The
// limits keep a hostile or broken peer from making either end allocate more.
constexpr std::uint32_t kMaxControlBody = 64 * 1024;
constexpr std::uint32_t kMaxMediaBody = 4 * 1024 * 1024;

constexpr std::size_t kNonceSize = 32;
constexpr std::size_t kProofSize = 32;
constexpr std::size_t kMaxNameLength = 256;

enum MessageType : std::uint16_t
{
    MsgChallenge = 1,
    MsgLoginRequest = 2,
    MsgLoginReply = 3,
    MsgKeepAlive = 4,
    MsgKeepAliveReply = 5,
    MsgConfigRequest = 6,
    MsgConfigReply = 7,
    MsgRealPlayRequest = 8,
    MsgRealPlayReply = 9,
    MsgStopRealPlay = 10,
    MsgStopRealPlayReply = 11,
    MsgJsonCommand = 12,
    MsgJsonReply = 13,
    MsgLogout = 14,
    MsgLogoutReply = 15,
    MsgMedia = 16,
    MsgP2PQuery = 17,
    MsgP2PReply = 18,
};

constexpr std::uint16_t kFirstMessageType = MsgChallenge;
constexpr std::uint16_t kLastMessageType = MsgP2PReply;

// Media data kinds, passed unchanged to the real-data callback.
enum MediaKind : std::uint8_t
{
    MediaVideo = tvsdk::RealDataVideo,
    MediaVideoKey = tvsdk::RealDataVideoKey,
};

inline std::uint32_t maxBodyFor(std::uint16_t type)
{
    return type == MsgMedia ? kMaxMediaBody : kMaxControlBody;
}

} // namespace tvwire
