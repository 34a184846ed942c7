// RecorderSession: real play, media and remote-control commands.
#include "LoginProof.h"
#include "Messages.h"
#include "ProtocolEncoder.h"
#include "RecorderServer.h"
#include "RecorderSession.h"
#include "SimLog.h"
#include "WireFormat.h"

#include <QTcpSocket>

#include <cstring>
#include <unistd.h>

namespace {
constexpr qint64 kMaxQueuedMedia = 8 * 1024 * 1024;
constexpr std::size_t kMaxQueuedUnits = 64;
} // namespace

void RecorderSession::handleRealPlay(const tvwire::Frame &frame)
{
    tvwire::RealPlayRequest request;
    if (!tvwire::decodeBody(frame.body, request))
        return close("malformed real-play request");
    const SimOptions &o = m_server->options();
    tvwire::RealPlayReply answer;
    if (o.refuseRealPlay || request.channel != o.channelsA + o.channelsB || m_viewer) {
        answer.result = tvwire::kResultRefused;
        log(QString("real play on channel %1 refused").arg(request.channel));
        return reply(frame, tvwire::MsgRealPlayReply, tvwire::encodeBody(answer));
    }
    m_streamId = frame.sequence ^ m_sessionId;
    answer.streamId = m_streamId;
    reply(frame, tvwire::MsgRealPlayReply, tvwire::encodeBody(answer));
    m_mediaSession = m_sessionId;
    m_mediaStream = m_streamId;
    m_viewer = m_server->display().addViewer([this](const std::uint8_t *data, std::size_t size,
                                                    bool key) { queueMedia(data, size, key); });
    log(QString("real play on channel %1 started, stream %2").arg(request.channel).arg(m_streamId));
}

// On the stream's thread: frame the unit and hand it to the main thread.
void RecorderSession::queueMedia(const std::uint8_t *data, std::size_t size, bool key)
{
    const std::size_t body = tvwire::kMediaPrefixSize + size;
    if (body > tvwire::kMaxMediaBody)
        return;
    std::vector<std::uint8_t> bytes(tvwire::kHeaderSize + body);
    tvwire::ProtocolEncoder::writeHeader(tvwire::MsgMedia, m_mediaSession, 0, std::uint32_t(body),
                                         bytes.data());
    tvwire::writeMediaPrefix(m_mediaStream, key ? tvwire::MediaVideoKey : tvwire::MediaVideo,
                             std::uint32_t(size), bytes.data() + tvwire::kHeaderSize);
    std::memcpy(bytes.data() + tvwire::kHeaderSize + tvwire::kMediaPrefixSize, data, size);
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> lock(m_mediaMutex);
        // The main thread is stuck: keep only the newest keyframe onwards.
        if (key || m_media.size() >= kMaxQueuedUnits)
            m_media.clear();
        wasEmpty = m_media.empty();
        m_media.push_back(Unit{std::move(bytes), key});
    }
    const std::uint64_t one = 1;
    if (wasEmpty && ::write(m_mediaWake, &one, sizeof one) < 0) {
        // the counter is saturated: the main thread is awake anyway
    }
}

void RecorderSession::drainMedia()
{
    std::uint64_t count = 0;
    if (::read(m_mediaWake, &count, sizeof count) < 0) {
        // nothing was pending
    }
    std::deque<Unit> units;
    {
        std::lock_guard<std::mutex> lock(m_mediaMutex);
        units.swap(m_media);
    }
    for (const Unit &u : units)
        writeMedia(u.bytes, u.keyFrame);
}

void RecorderSession::writeMedia(const std::vector<std::uint8_t> &bytes, bool keyFrame)
{
    if (!m_socket || m_hung || !m_viewer)
        return;
    if (m_waitForKey && !keyFrame)
        return;
    m_waitForKey = false;
    if (!keyFrame && m_socket->bytesToWrite() > kMaxQueuedMedia) {
        log("client is not keeping up: dropping media up to the next keyframe");
        m_waitForKey = true;
        return;
    }
    m_socket->write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    m_socket->flush();
    ++m_mediaSent;
}

void RecorderSession::stopViewer()
{
    if (!m_viewer)
        return;
    m_server->display().removeViewer(m_viewer);
    m_viewer = 0;
    log(QString("real play stopped after %1 media blocks").arg(m_mediaSent));
}

void RecorderSession::handleStop(const tvwire::Frame &frame)
{
    tvwire::StreamRef ref;
    if (!tvwire::decodeBody(frame.body, ref))
        return close("malformed stop request");
    const bool known = m_viewer && ref.streamId == m_streamId;
    if (known)
        stopViewer();
    reply(frame, tvwire::MsgStopRealPlayReply,
          tvwire::encodeBody(tvwire::ResultReply{known ? 0 : tvwire::kResultRefused}));
}

void RecorderSession::handleJson(const tvwire::Frame &frame)
{
    tvwire::JsonCommand command;
    if (!tvwire::decodeBody(frame.body, command))
        return close("malformed JSON command");
    const QByteArray text(reinterpret_cast<const char *>(command.json.data()),
                          int(command.json.size()));
    if (command.name == "OPRemoteCtrl") {
        m_server->commandLog().append(text);
#ifdef TV_HAVE_SIM_DISPLAY
        RemoteCtrlEvent event{};
        std::string error;
        if (RemoteCtrlParser::parse(text.toStdString(), event, error)) {
            log(QString("OPRemoteCtrl msg 0x%1 button 0x%2 at (%3, %4)")
                    .arg(event.msgType, 0, 16)
                    .arg(event.button, 0, 16)
                    .arg(event.x)
                    .arg(event.y));
            m_server->display().apply(event);
        } else {
            SimLog::error(QString("session %1: malformed OPRemoteCtrl (%2): %3")
                              .arg(m_number)
                              .arg(QString::fromStdString(error))
                              .arg(QString::fromUtf8(text).simplified()));
        }
#else
        log("OPRemoteCtrl " + QString::fromUtf8(text).simplified());
#endif
    } else {
        log(QString("JSON command \"%1\" (id %2) ignored")
                .arg(QString::fromStdString(command.name))
                .arg(command.msgId));
    }
    reply(frame, tvwire::MsgJsonReply, tvwire::encodeBody(tvwire::ResultReply{0}));
}
