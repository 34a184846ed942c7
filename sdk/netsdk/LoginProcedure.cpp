#include "LoginProcedure.h"

#include "LoginProof.h"
#include "NetSdkCodes.h"
#include "ProtocolEncoder.h"
#include "SdkDefs.h"
#include "WireFormat.h"

#include <cstdlib>

namespace netsdk {

namespace {

Clock::time_point deadlineAfter(int ms)
{
    return Clock::now() + std::chrono::milliseconds(ms);
}

int sendFrame(TcpSocket &socket, std::uint16_t type, std::uint32_t session,
              const std::vector<std::uint8_t> &body, Clock::time_point deadline)
{
    const auto bytes = tvwire::ProtocolEncoder::encode(type, session, 1, body);
    return socket.sendAll(bytes.data(), bytes.size(), deadline);
}

// The client adds the two channel counts into an int: each must be a count
// and their sum must fit, however the recorder fills them.
bool plausibleChannels(const tvwire::LoginReply &reply)
{
    const std::int64_t a = reply.channelA, b = reply.channelB;
    return a >= 0 && b >= 0 && a + b <= kMaxChannels;
}

// Connection failures are worth another try; a recorder's answer is not.
bool worthRetrying(int result)
{
    return result == ErrConnectFailed || result == ErrTimeOut || result == ErrDisconnected;
}

} // namespace

bool LoginProcedure::splitHostPort(const std::string &text, std::uint16_t defaultPort,
                                   std::string &host, std::uint16_t &port)
{
    const std::size_t colon = text.rfind(':');
    host = text.substr(0, colon);
    port = defaultPort;
    if (colon != std::string::npos) {
        const std::string digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const long value = std::strtol(digits.c_str(), nullptr, 10);
        if (value < 1 || value > 65535)
            return false;
        port = std::uint16_t(value);
    }
    return !host.empty();
}

int LoginProcedure::lookUp(const LoginParams &params, std::string &host, std::uint16_t &port)
{
    std::string serverHost;
    std::uint16_t serverPort = 0;
    if (params.p2pServer.empty())
        return ErrNoP2PServer;
    if (!splitHostPort(params.p2pServer, kDefaultP2PPort, serverHost, serverPort))
        return ErrNoP2PServer;
    int result = ErrP2PUnreachable;
    for (int t = 0; t < params.tries; ++t) {
        const Clock::time_point deadline = deadlineAfter(params.waitMs);
        TcpSocket socket;
        FrameBuffer buffer;
        tvwire::Frame reply;
        tvwire::P2PReply answer;
        if (socket.connectTo(serverHost, serverPort, deadline) != 0 ||
            sendFrame(socket, tvwire::MsgP2PQuery, 0,
                      tvwire::encodeBody(tvwire::P2PQuery{params.address}), deadline) != 0 ||
            buffer.readFrom(socket, deadline, reply) != 0)
            continue;
        if (reply.type != tvwire::MsgP2PReply || !tvwire::decodeBody(reply.body, answer))
            return ErrProtocol;
        if (answer.result != 0)
            return answer.result;
        if (answer.host.empty() || answer.port == 0)
            return ErrProtocol;
        host = answer.host;
        port = answer.port;
        return 0;
    }
    return result;
}

int LoginProcedure::handshake(const LoginParams &params, Clock::time_point deadline,
                              LoginOutcome &outcome)
{
    tvwire::Frame frame;
    int r = outcome.buffer.readFrom(outcome.socket, deadline, frame);
    if (r != 0)
        return r;
    tvwire::Challenge challenge;
    if (frame.type != tvwire::MsgChallenge || !tvwire::decodeBody(frame.body, challenge))
        return ErrProtocol;
    tvwire::LoginRequest request;
    request.user = params.user;
    request.proof = tvwire::LoginProof::compute(params.password, challenge.nonce, params.user);
    request.kind = std::uint8_t(params.kind);
    request.hasLoginCode = params.hasLoginCode ? 1 : 0;
    request.loginCode = params.loginCode;
    r = sendFrame(outcome.socket, tvwire::MsgLoginRequest, 0, tvwire::encodeBody(request),
                  deadline);
    if (r != 0)
        return r;
    r = outcome.buffer.readFrom(outcome.socket, deadline, frame);
    if (r != 0)
        return r;
    if (frame.type != tvwire::MsgLoginReply || !tvwire::decodeBody(frame.body, outcome.reply))
        return ErrProtocol;
    outcome.sessionId = frame.session;
    if (outcome.reply.result == 0 && (outcome.sessionId == 0 || !plausibleChannels(outcome.reply)))
        return ErrProtocol;
    return outcome.reply.result;
}

int LoginProcedure::attempt(const LoginParams &params, const std::string &host, std::uint16_t port,
                            LoginOutcome &outcome)
{
    const Clock::time_point deadline = deadlineAfter(params.waitMs);
    outcome.buffer = FrameBuffer();
    int r = outcome.socket.connectTo(host, port, deadline);
    if (r == 0)
        r = handshake(params, deadline, outcome);
    if (r != 0)
        outcome.socket.close();
    return r;
}

int LoginProcedure::run(const LoginParams &params, LoginOutcome &outcome)
{
    std::string host = params.address;
    std::uint16_t port = params.port;
    if (params.kind == tvsdk::kLoginKindCloud) {
        const int r = lookUp(params, host, port);
        if (r != 0)
            return r;
    }
    int result = ErrConnectFailed;
    for (int t = 0; t < params.tries; ++t) {
        result = attempt(params, host, port, outcome);
        if (!worthRetrying(result))
            break;
    }
    return result;
}

} // namespace netsdk
