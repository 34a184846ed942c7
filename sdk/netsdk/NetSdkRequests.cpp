// The NetSdk methods that talk to a logged-in recorder: configuration, JSON
// commands and real play.
#include "NetSdk.h"

#include "DeviceSession.h"
#include "Messages.h"
#include "NetSdkCodes.h"
#include "RealPlayStream.h"
#include "WireFormat.h"

#include <cstring>

namespace netsdk {

namespace {

// The record size each configuration command fills.
int recordSize(int command)
{
    if (command == tvsdk::kCmdSystemFunction)
        return int(tvsdk::SystemFunction::kSize);
    if (command == tvsdk::kCmdDisplayResolution)
        return int(tvsdk::DisplayResolution::kSize);
    return -1;
}

} // namespace

int NetSdk::getConfig(int loginHandle, int command, int channel, void *buffer, int size,
                      int *returned, int timeoutMs)
{
    auto s = session(loginHandle);
    if (!s)
        return fail(ErrInvalidHandle);
    const int needed = recordSize(command);
    if (needed < 0)
        return fail(ErrUnknownCommand);
    if (!buffer || size < needed)
        return fail(buffer ? ErrBufferTooSmall : ErrInvalidParameter);
    tvwire::Frame reply;
    const int r = s->request(tvwire::MsgConfigRequest,
                             tvwire::encodeBody(tvwire::ConfigRequest{command, channel}),
                             std::max(0, timeoutMs), reply);
    if (r != 0)
        return fail(r);
    tvwire::ConfigReply answer;
    if (reply.type != tvwire::MsgConfigReply || !tvwire::decodeBody(reply.body, answer))
        return fail(ErrProtocol);
    if (answer.result != 0)
        return fail(answer.result);
    if (answer.data.size() != std::size_t(needed))
        return fail(ErrProtocol);
    std::memcpy(buffer, answer.data.data(), answer.data.size());
    if (returned)
        *returned = needed;
    return 1;
}

int NetSdk::sendJson(int loginHandle, const char *name, int msgId, int channel, const char *json,
                     int length, int timeoutMs)
{
    auto s = session(loginHandle);
    if (!s)
        return fail(ErrInvalidHandle);
    if (!name || !json || length < 0 || std::uint32_t(length) > tvwire::kMaxControlBody - 1024 ||
        strnlen(name, tvwire::kMaxNameLength + 1) > tvwire::kMaxNameLength)
        return fail(ErrInvalidParameter);
    tvwire::JsonCommand command;
    command.name = name;
    command.msgId = msgId;
    command.channel = channel;
    command.json.assign(json, json + length);
    tvwire::Frame reply;
    const int r = s->request(tvwire::MsgJsonCommand, tvwire::encodeBody(command),
                             std::max(0, timeoutMs), reply);
    if (r != 0)
        return fail(r);
    tvwire::ResultReply answer;
    if (reply.type != tvwire::MsgJsonReply || !tvwire::decodeBody(reply.body, answer))
        return fail(ErrProtocol);
    return answer.result == 0 ? 1 : fail(answer.result);
}

int NetSdk::realPlay(int loginHandle, const void *clientInfo)
{
    auto s = session(loginHandle);
    if (!s)
        return fail(ErrInvalidHandle), 0;
    if (!clientInfo)
        return fail(ErrInvalidParameter), 0;
    const auto *info = static_cast<const unsigned char *>(clientInfo);
    tvwire::RealPlayRequest request;
    request.channel = tvsdk::readInt32(info, tvsdk::ClientInfo::kChannel);
    request.streamType = tvsdk::readInt32(info, tvsdk::ClientInfo::kStreamType);
    request.mode = tvsdk::readInt32(info, tvsdk::ClientInfo::kMode);
    tvwire::Frame reply;
    const int r = s->request(tvwire::MsgRealPlayRequest, tvwire::encodeBody(request),
                             kRequestTimeoutMs, reply);
    if (r != 0)
        return fail(r), 0;
    tvwire::RealPlayReply answer;
    if (reply.type != tvwire::MsgRealPlayReply || !tvwire::decodeBody(reply.body, answer))
        return fail(ErrProtocol), 0;
    if (answer.result != 0)
        return fail(answer.result), 0;
    std::shared_ptr<RealPlayStream> stream;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A logout or clean-up that ran meanwhile has already collected this
        // login's plays: one registered now would outlive it.
        auto it = m_sessions.find(loginHandle);
        if (it == m_sessions.end() || it->second != s)
            return fail(ErrInvalidHandle), 0;
        stream = std::make_shared<RealPlayStream>(m_nextPlay++, answer.streamId);
        m_plays[stream->handle()] = Play{s, stream};
    }
    if (!s->addStream(stream)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_plays.erase(stream->handle());
        return fail(ErrProtocol), 0;
    }
    trace("real play " + std::to_string(stream->handle()) + " on login " +
          std::to_string(loginHandle));
    return stream->handle();
}

bool NetSdk::findPlay(int playHandle, Play &play, bool take)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_plays.find(playHandle);
    if (it == m_plays.end())
        return fail(ErrInvalidHandle), false;
    play = it->second;
    if (take)
        m_plays.erase(it);
    return true;
}

int NetSdk::setRealDataCallback(int playHandle, tvsdk::RealDataCallback callback, void *user)
{
    Play play;
    if (!findPlay(playHandle, play))
        return 0;
    play.stream->setCallback(callback, user);
    play.session->wake();
    return 1;
}

int NetSdk::delRealDataCallback(int playHandle)
{
    Play play;
    if (!findPlay(playHandle, play))
        return 0;
    play.stream->removeCallback();
    return 1;
}

int NetSdk::stopRealPlay(int playHandle)
{
    Play play;
    if (!findPlay(playHandle, play, true))
        return 0;
    play.stream->close();
    play.session->removeStream(play.stream->streamId());
    // No wait for the answer: stop may be called from inside the data
    // callback, on the very thread that would read it.
    play.session->notify(tvwire::MsgStopRealPlay,
                         tvwire::encodeBody(tvwire::StreamRef{play.stream->streamId()}),
                         kStopTimeoutMs);
    return 1;
}

} // namespace netsdk
