#pragma once
// The bodies of the protocol's messages and their encoding. Every decode
// refuses a body that is short, long, or carries an out-of-range length.

#include <cstdint>
#include <string>
#include <vector>

namespace tvwire {

struct Challenge
{
    std::vector<std::uint8_t> nonce; // kNonceSize bytes
};

struct LoginRequest
{
    std::string user;
    std::vector<std::uint8_t> proof; // kProofSize bytes
    std::uint8_t kind = 0;           // 0 by address, 2 through the P2P service
    std::uint8_t hasLoginCode = 0;
    std::int32_t loginCode = 0;
};

struct LoginReply
{
    std::int32_t result = 0; // 0 or a login error code
    std::int32_t notice = 0; // on success, the caller's last error (e.g. agent login)
    std::int32_t channelA = 0;
    std::int32_t channelB = 0;
    std::string serial;
};

struct ConfigRequest
{
    std::int32_t command = 0;
    std::int32_t channel = -1;
};

struct ConfigReply
{
    std::int32_t result = 0;
    std::vector<std::uint8_t> data;
};

struct RealPlayRequest
{
    std::int32_t channel = 0;
    std::int32_t streamType = 0;
    std::int32_t mode = 0;
};

struct RealPlayReply
{
    std::int32_t result = 0;
    std::uint32_t streamId = 0;
};

struct StreamRef
{
    std::uint32_t streamId = 0;
};

struct JsonCommand
{
    std::string name;
    std::int32_t msgId = 0;
    std::int32_t channel = 0;
    std::vector<std::uint8_t> json; // the exact bytes, no terminator
};

struct ResultReply
{
    std::int32_t result = 0;
};

struct Media
{
    std::uint32_t streamId = 0;
    std::uint8_t kind = 0;
    std::vector<std::uint8_t> data;
};

struct P2PQuery
{
    std::string serial;
};

struct P2PReply
{
    std::int32_t result = 0;
    std::string host;
    std::uint16_t port = 0;
};

std::vector<std::uint8_t> encodeBody(const Challenge &m);
std::vector<std::uint8_t> encodeBody(const LoginRequest &m);
std::vector<std::uint8_t> encodeBody(const LoginReply &m);
std::vector<std::uint8_t> encodeBody(const ConfigRequest &m);
std::vector<std::uint8_t> encodeBody(const ConfigReply &m);
std::vector<std::uint8_t> encodeBody(const RealPlayRequest &m);
std::vector<std::uint8_t> encodeBody(const RealPlayReply &m);
std::vector<std::uint8_t> encodeBody(const StreamRef &m);
std::vector<std::uint8_t> encodeBody(const JsonCommand &m);
std::vector<std::uint8_t> encodeBody(const ResultReply &m);
std::vector<std::uint8_t> encodeBody(const Media &m);
std::vector<std::uint8_t> encodeBody(const P2PQuery &m);
std::vector<std::uint8_t> encodeBody(const P2PReply &m);

bool decodeBody(const std::vector<std::uint8_t> &body, Challenge &m);
bool decodeBody(const std::vector<std::uint8_t> &body, LoginRequest &m);
bool decodeBody(const std::vector<std::uint8_t> &body, LoginReply &m);
bool decodeBody(const std::vector<std::uint8_t> &body, ConfigRequest &m);
bool decodeBody(const std::vector<std::uint8_t> &body, ConfigReply &m);
bool decodeBody(const std::vector<std::uint8_t> &body, RealPlayRequest &m);
bool decodeBody(const std::vector<std::uint8_t> &body, RealPlayReply &m);
bool decodeBody(const std::vector<std::uint8_t> &body, StreamRef &m);
bool decodeBody(const std::vector<std::uint8_t> &body, JsonCommand &m);
bool decodeBody(const std::vector<std::uint8_t> &body, ResultReply &m);
bool decodeBody(const std::vector<std::uint8_t> &body, Media &m);
bool decodeBody(const std::vector<std::uint8_t> &body, P2PQuery &m);
bool decodeBody(const std::vector<std::uint8_t> &body, P2PReply &m);

// The media header that precedes the access unit inside a media body, for
// senders that write the data without copying it into a Media first.
constexpr std::size_t kMediaPrefixSize = 4 + 1 + 4;
void writeMediaPrefix(std::uint32_t streamId, std::uint8_t kind, std::uint32_t dataSize,
                      std::uint8_t *out);

} // namespace tvwire
