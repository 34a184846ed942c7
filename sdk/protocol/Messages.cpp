#include "Messages.h"

#include "BodyReader.h"
#include "BodyWriter.h"
#include "WireFormat.h"

#include <algorithm>

namespace tvwire {

std::vector<std::uint8_t> encodeBody(const Challenge &m)
{
    return BodyWriter().bytes(m.nonce).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, Challenge &m)
{
    BodyReader r(body);
    m.nonce = r.bytes(kNonceSize);
    return r.done() && m.nonce.size() == kNonceSize;
}

std::vector<std::uint8_t> encodeBody(const LoginRequest &m)
{
    return BodyWriter()
        .text(m.user)
        .bytes(m.proof)
        .u8(m.kind)
        .u8(m.hasLoginCode)
        .i32(m.loginCode)
        .take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, LoginRequest &m)
{
    BodyReader r(body);
    m.user = r.text(kMaxNameLength);
    m.proof = r.bytes(kProofSize);
    m.kind = r.u8();
    m.hasLoginCode = r.u8();
    m.loginCode = r.i32();
    return r.done() && m.proof.size() == kProofSize && m.hasLoginCode <= 1;
}

std::vector<std::uint8_t> encodeBody(const LoginReply &m)
{
    return BodyWriter()
        .i32(m.result)
        .i32(m.notice)
        .i32(m.channelA)
        .i32(m.channelB)
        .text(m.serial)
        .take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, LoginReply &m)
{
    BodyReader r(body);
    m.result = r.i32();
    m.notice = r.i32();
    m.channelA = r.i32();
    m.channelB = r.i32();
    m.serial = r.text(kMaxNameLength);
    return r.done();
}

std::vector<std::uint8_t> encodeBody(const ConfigRequest &m)
{
    return BodyWriter().i32(m.command).i32(m.channel).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, ConfigRequest &m)
{
    BodyReader r(body);
    m.command = r.i32();
    m.channel = r.i32();
    return r.done();
}

std::vector<std::uint8_t> encodeBody(const ConfigReply &m)
{
    return BodyWriter().i32(m.result).bytes(m.data).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, ConfigReply &m)
{
    BodyReader r(body);
    m.result = r.i32();
    m.data = r.bytes(kMaxControlBody);
    return r.done();
}

std::vector<std::uint8_t> encodeBody(const RealPlayRequest &m)
{
    return BodyWriter().i32(m.channel).i32(m.streamType).i32(m.mode).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, RealPlayRequest &m)
{
    BodyReader r(body);
    m.channel = r.i32();
    m.streamType = r.i32();
    m.mode = r.i32();
    return r.done();
}

std::vector<std::uint8_t> encodeBody(const RealPlayReply &m)
{
    return BodyWriter().i32(m.result).u32(m.streamId).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, RealPlayReply &m)
{
    BodyReader r(body);
    m.result = r.i32();
    m.streamId = r.u32();
    return r.done();
}

std::vector<std::uint8_t> encodeBody(const StreamRef &m)
{
    return BodyWriter().u32(m.streamId).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, StreamRef &m)
{
    BodyReader r(body);
    m.streamId = r.u32();
    return r.done();
}

std::vector<std::uint8_t> encodeBody(const JsonCommand &m)
{
    return BodyWriter().text(m.name).i32(m.msgId).i32(m.channel).bytes(m.json).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, JsonCommand &m)
{
    BodyReader r(body);
    m.name = r.text(kMaxNameLength);
    m.msgId = r.i32();
    m.channel = r.i32();
    m.json = r.bytes(kMaxControlBody);
    return r.done();
}

std::vector<std::uint8_t> encodeBody(const ResultReply &m)
{
    return BodyWriter().i32(m.result).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, ResultReply &m)
{
    BodyReader r(body);
    m.result = r.i32();
    return r.done();
}

void writeMediaPrefix(std::uint32_t streamId, std::uint8_t kind, std::uint32_t dataSize,
                      std::uint8_t *out)
{
    BodyWriter w;
    w.u32(streamId).u8(kind).u32(dataSize);
    std::copy(w.body().begin(), w.body().end(), out);
}

std::vector<std::uint8_t> encodeBody(const Media &m)
{
    return BodyWriter().u32(m.streamId).u8(m.kind).bytes(m.data).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, Media &m)
{
    BodyReader r(body);
    m.streamId = r.u32();
    m.kind = r.u8();
    m.data = r.bytes(kMaxMediaBody);
    return r.done() && (m.kind == MediaVideo || m.kind == MediaVideoKey);
}

std::vector<std::uint8_t> encodeBody(const P2PQuery &m)
{
    return BodyWriter().text(m.serial).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, P2PQuery &m)
{
    BodyReader r(body);
    m.serial = r.text(kMaxNameLength);
    return r.done();
}

std::vector<std::uint8_t> encodeBody(const P2PReply &m)
{
    return BodyWriter().i32(m.result).text(m.host).u16(m.port).take();
}

bool decodeBody(const std::vector<std::uint8_t> &body, P2PReply &m)
{
    BodyReader r(body);
    m.result = r.i32();
    m.host = r.text(kMaxNameLength);
    m.port = r.u16();
    return r.done();
}

} // namespace tvwire
