// RecorderSession: real play, media and remote-control commands.
#include "LoginProof.h"
#include "Messages.h"
#include "ProtocolEncoder.h"
#include "RecorderServer.h"
#include "RecorderSession.h"
#include "RemoteCtrlParser.h"
#include "SdkDefs.h"
#include "SimLog.h"
#include "WireFormat.h"

#include <QSocketNotifier>
#include <QTcpSocket>

#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {
constexpr std::size_t kMaxQueuedUnits = 64;
} // namespace

void RecorderSession::handleRealPlay(const tvwire::Frame &frame)
{
    tvwire::RealPlayRequest request;
    if (!tvwire::decodeBody(frame.body, request))
        return close("malformed real-play request");
    const SimOptions &o = m_server->options();
    tvwire::RealPlayReply answer;
    if (o.refuseRealPlay || request.channel != o.channelsA + o.channelsB || m_viewer ||
        m_viewerPending) {
        answer.result = tvsdk::ErrRefused;
        log(QString("real play on channel %1 refused").arg(request.channel));
        return reply(frame, tvwire::MsgRealPlayReply, tvwire::encodeBody(answer));
    }
    if (!openMediaWake()) {
        answer.result = tvsdk::ErrRecorderFailed;
        log("real play refused: out of descriptors");
        return reply(frame, tvwire::MsgRealPlayReply, tvwire::encodeBody(answer));
    }
    m_streamId = frame.sequence ^ m_sessionId;
    answer.streamId = m_streamId;
    reply(frame, tvwire::MsgRealPlayReply, tvwire::encodeBody(answer));
    m_mediaSession = m_sessionId;
    m_mediaStream = m_streamId;
    m_viewerPending = true;
    m_server->requestViewer(this);
    log(QString("real play on channel %1 started, stream %2").arg(request.channel).arg(m_streamId));
}

// Made with the first real play, so that a connection that never logs in
// costs one descriptor.
bool RecorderSession::openMediaWake()
{
    if (m_mediaWake >= 0)
        return true;
    m_mediaWake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_mediaWake < 0)
        return false;
    m_mediaNotifier = new QSocketNotifier(m_mediaWake, QSocketNotifier::Read, this);
    connect(m_mediaNotifier, &QSocketNotifier::activated, this, &RecorderSession::drainMedia);
    return true;
}

// Every new viewer makes the display send a keyframe to all viewers, so the
// server lets viewers join only at a bounded rate.
void RecorderSession::attachViewer()
{
    m_viewerPending = false;
    m_viewer = m_server->display().addViewer([this](const std::uint8_t *data, std::size_t size,
                                                    bool key) { queueMedia(data, size, key); });
    startPacing();
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
        // Without one the units are lost, and so is what refers to them:
        // the main thread drops up to the next keyframe.
        if (key || m_media.size() >= kMaxQueuedUnits) {
            m_mediaLost = !key;
            m_media.clear();
        }
        wasEmpty = m_media.empty();
        if (!m_mediaLost)
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
    bool lost;
    {
        std::lock_guard<std::mutex> lock(m_mediaMutex);
        units.swap(m_media);
        lost = m_mediaLost;
        m_mediaLost = false;
    }
    if (lost && m_viewer)
        dropMedia();
    for (const Unit &u : units)
        writeMedia(u.bytes, u.keyFrame);
}

void RecorderSession::writeMedia(const std::vector<std::uint8_t> &bytes, bool keyFrame)
{
    if (!m_socket || m_hung || !m_viewer)
        return;
    if (keyFrame)
        m_keyRequested = false; // whether it is sent or not, a new one must be asked for
    if ((m_waitForKey && !keyFrame) || m_socket->bytesToWrite() > kMaxQueuedMedia ||
        (m_paceTimer && m_pacer.stalled()))
        return dropMedia();
    m_waitForKey = false;
    m_socket->write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    m_socket->flush();
    ++m_mediaSent;
    m_mediaBytes += bytes.size();
    // The display learns before its next picture whether this one filled the queue.
    if (m_paceTimer)
        pace();
}

// A client that cannot keep up loses whole runs up to a keyframe; the runs
// are counted, not logged one by one.
void RecorderSession::dropMedia()
{
    ++m_mediaDropped;
    if (m_waitForKey)
        return;
    m_waitForKey = true;
    if (m_dropRuns++ == 0)
        log("client is not keeping up: dropping media up to the next keyframe (counted from now "
            "on)");
}

void RecorderSession::stopViewer()
{
    if (m_viewerPending) {
        m_server->cancelViewer(this);
        m_viewerPending = false;
    }
    if (!m_viewer)
        return;
    m_server->display().removeViewer(m_viewer);
    m_viewer = 0;
    delete m_paceTimer;
    m_paceTimer = nullptr;
    delete m_figuresTimer;
    m_figuresTimer = nullptr;
    log(QString("real play stopped after %1 media blocks, %2 dropped in %3 runs, %4 pictures "
                "skipped")
            .arg(m_mediaSent)
            .arg(m_mediaDropped)
            .arg(m_dropRuns)
            .arg(m_server->display().skipped() - m_skippedAtStart));
}

void RecorderSession::handleStop(const tvwire::Frame &frame)
{
    tvwire::StreamRef ref;
    if (!tvwire::decodeBody(frame.body, ref))
        return close("malformed stop request");
    const bool known = (m_viewer || m_viewerPending) && ref.streamId == m_streamId;
    if (known)
        stopViewer();
    reply(frame, tvwire::MsgStopRealPlayReply,
          tvwire::encodeBody(tvwire::ResultReply{known ? tvsdk::ResultOk : tvsdk::ErrRefused}));
}

void RecorderSession::handleJson(const tvwire::Frame &frame)
{
    tvwire::JsonCommand command;
    if (!tvwire::decodeBody(frame.body, command))
        return close("malformed JSON command");
    const QByteArray text(reinterpret_cast<const char *>(command.json.data()),
                          int(command.json.size()));
    if (command.name == tvsdk::kRemoteCtrlCommand) {
        m_server->commandLog().append(text);
        logRemoteCtrl(text);
    } else {
        log(QString("JSON command %1 (id %2) ignored")
                .arg(SimLog::peerText(command.name))
                .arg(command.msgId));
    }
    reply(frame, tvwire::MsgJsonReply, tvwire::encodeBody(tvwire::ResultReply{0}));
}

void RecorderSession::logRemoteCtrl(const QByteArray &text)
{
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
        log(QString("malformed OPRemoteCtrl (%1): %2")
                .arg(SimLog::peerText(error, 2 * SimLog::kMaxPeerText))
                .arg(SimLog::peerText(text)),
            true);
    }
}
