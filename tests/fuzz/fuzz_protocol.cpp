// The wire-protocol decoder against arbitrary bytes, as a hostile or broken
// peer would send them. Besides memory safety it checks what both ends rely
// on: a frame is never taken from fewer bytes than it needs, what is decoded
// encodes back to the very bytes it came from, and a body decoder that
// accepts a body produces the same body again.
#include "Messages.h"
#include "ProtocolDecoder.h"
#include "ProtocolEncoder.h"
#include "WireFormat.h"

#include <cstdlib>
#include <cstring>

using namespace tvwire;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

template <typename M> void roundTripBody(const std::vector<std::uint8_t> &body)
{
    M message;
    if (decodeBody(body, message))
        check(encodeBody(message) == body);
}

void checkBody(const Frame &frame)
{
    switch (frame.type) {
    case MsgChallenge:
        return roundTripBody<Challenge>(frame.body);
    case MsgLoginRequest:
        return roundTripBody<LoginRequest>(frame.body);
    case MsgLoginReply:
        return roundTripBody<LoginReply>(frame.body);
    case MsgConfigRequest:
        return roundTripBody<ConfigRequest>(frame.body);
    case MsgConfigReply:
        return roundTripBody<ConfigReply>(frame.body);
    case MsgRealPlayRequest:
        return roundTripBody<RealPlayRequest>(frame.body);
    case MsgRealPlayReply:
        return roundTripBody<RealPlayReply>(frame.body);
    case MsgStopRealPlay:
        return roundTripBody<StreamRef>(frame.body);
    case MsgJsonCommand:
        return roundTripBody<JsonCommand>(frame.body);
    case MsgStopRealPlayReply:
    case MsgJsonReply:
    case MsgLogoutReply:
        return roundTripBody<ResultReply>(frame.body);
    case MsgMedia:
        return roundTripBody<Media>(frame.body);
    case MsgP2PQuery:
        return roundTripBody<P2PQuery>(frame.body);
    case MsgP2PReply:
        return roundTripBody<P2PReply>(frame.body);
    default:
        return;
    }
}

// A receiver that gets the frame in two pieces must wait for the second.
void checkSplit(const std::uint8_t *data, std::size_t consumed, std::size_t cut)
{
    Frame partial;
    std::size_t used = 99;
    std::string error;
    check(ProtocolDecoder::decode(data, cut, partial, used, error) == ProtocolDecoder::NeedMore &&
          used == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t offset = 0;
    while (offset <= size) {
        Frame frame;
        std::size_t consumed = 0;
        std::string error;
        const auto result =
            ProtocolDecoder::decode(data + offset, size - offset, frame, consumed, error);
        if (result == ProtocolDecoder::Malformed) {
            check(!error.empty() && consumed == 0);
            break;
        }
        if (result == ProtocolDecoder::NeedMore) {
            check(consumed == 0);
            break;
        }
        check(consumed >= kHeaderSize && consumed <= size - offset);
        check(frame.body.size() <= maxBodyFor(frame.type));
        std::vector<std::uint8_t> encoded;
        check(ProtocolEncoder::encode(frame, encoded));
        check(encoded.size() == consumed &&
              std::memcmp(encoded.data(), data + offset, consumed) == 0);
        checkSplit(data + offset, consumed, consumed - 1);
        checkSplit(data + offset, consumed, consumed / 2);
        checkBody(frame);
        offset += consumed;
    }
    return 0;
}
