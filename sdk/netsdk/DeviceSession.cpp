#include "DeviceSession.h"

#include "Messages.h"
#include "NetSdkCodes.h"
#include "ProtocolEncoder.h"
#include "RealPlayStream.h"
#include "WireFormat.h"

#include <algorithm>
#include <system_error>

namespace netsdk {

namespace {
// One keyframe of the largest size the protocol carries, for a stream whose
// real-play answer is still on its way.
constexpr std::size_t kMaxOrphanBytes = tvwire::kMaxMediaBody;
// Bytes that count as a sign of life though no frame is whole yet: a large
// frame through a slow link takes longer than the dead time, while a peer
// that trickles a byte now and then would need an hour for this many.
constexpr std::size_t kLifeBytes = 1024;
} // namespace

DeviceSession::DeviceSession(DeviceSessionHost &host, int handle, std::uint32_t sessionId,
                             TcpSocket &&socket, FrameBuffer &&buffer,
                             tvsdk::DisconnectCallback onDisconnect, void *user)
    : m_host(host), m_handle(handle), m_sessionId(sessionId), m_socket(std::move(socket)),
      m_buffer(std::move(buffer)), m_onDisconnect(onDisconnect), m_user(user),
      m_keepAliveSec(kDefaultKeepAliveSec), m_deadSec(kDefaultDeadSec)
{
}

DeviceSession::~DeviceSession()
{
    stop(false);
}

bool DeviceSession::start()
{
    m_lastLife = Clock::now();
    // Out of threads, the constructor throws; across the SDK's C boundary
    // that would end the caller's process.
    try {
        m_thread = std::thread([self = shared_from_this()] { self->run(); });
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

void DeviceSession::wake()
{
    m_waiter.wake();
}

int DeviceSession::send(std::uint16_t type, std::uint32_t sequence,
                        const std::vector<std::uint8_t> &body, Clock::time_point deadline)
{
    const std::vector<std::uint8_t> bytes =
        tvwire::ProtocolEncoder::encode(type, m_sessionId, sequence, body);
    if (bytes.empty())
        return ErrInvalidParameter;
    std::lock_guard<std::mutex> lock(m_writeMutex);
    const int r = m_socket.sendAll(bytes.data(), bytes.size(), deadline);
    // A frame cut half-way leaves the stream unusable: end the connection,
    // the session thread then reports it.
    if (r != 0)
        m_socket.shutdown();
    return r;
}

int DeviceSession::request(std::uint16_t type, const std::vector<std::uint8_t> &body, int timeoutMs,
                           tvwire::Frame &reply)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::uint32_t sequence = ++m_sequence;
    m_replies.expect(sequence);
    const int sent = send(type, sequence, body, deadline);
    if (sent != 0) {
        Clock::time_point now = Clock::now();
        m_replies.wait(sequence, now, reply); // only drops the slot
        return sent == ErrTimeOut ? ErrTimeOut : ErrDisconnected;
    }
    return m_replies.wait(sequence, deadline, reply);
}

int DeviceSession::notify(std::uint16_t type, const std::vector<std::uint8_t> &body, int timeoutMs)
{
    return send(type, ++m_sequence, body, Clock::now() + std::chrono::milliseconds(timeoutMs));
}

void DeviceSession::setTiming(int keepAliveSec, int deadSec)
{
    m_keepAliveSec = keepAliveSec;
    m_deadSec = deadSec;
    m_timingChanged = true;
    wake();
}

void DeviceSession::markLife()
{
    m_lastLife = Clock::now();
    m_bytesSinceLife = 0;
}

// The caller's keep-alive period, shortened to half the dead time when that
// is longer: an idle session lives on keep-alive answers alone, so it must
// ask at least twice before it is given up.
int DeviceSession::keepAliveEvery() const
{
    const int keep = m_keepAliveSec.load(), dead = m_deadSec.load();
    if (dead <= 0)
        return keep;
    const int half = std::max(1, dead / 2);
    return keep > 0 ? std::min(keep, half) : half;
}

bool DeviceSession::addStream(const std::shared_ptr<RealPlayStream> &stream)
{
    std::lock_guard<std::mutex> lock(m_streamsMutex);
    if (m_streams.count(stream->streamId()))
        return false;
    // No callback is set on a new stream: deliver() only keeps the blocks.
    for (Orphan &o : m_orphans) {
        if (o.streamId == stream->streamId())
            stream->deliver(o.kind, o.data.data(), o.data.size());
    }
    m_orphans.clear();
    m_orphanBytes = 0;
    m_streams[stream->streamId()] = stream;
    return true;
}

void DeviceSession::removeStream(std::uint32_t streamId)
{
    std::lock_guard<std::mutex> lock(m_streamsMutex);
    m_streams.erase(streamId);
}

void DeviceSession::stop(bool sayGoodbye)
{
    {
        std::lock_guard<std::mutex> lock(m_reportMutex);
        if (m_stopping.exchange(true))
            sayGoodbye = false;
        m_reported = true; // the caller ends the login: no report after this
    }
    if (sayGoodbye) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kStopTimeoutMs);
        send(tvwire::MsgLogout, ++m_sequence, {}, deadline);
    }
    m_socket.shutdown();
    wake();
    if (m_thread.joinable()) {
        if (m_thread.get_id() == std::this_thread::get_id())
            m_host.adoptThread(std::move(m_thread));
        else
            m_thread.join();
    }
    m_replies.failAll();
}

void DeviceSession::lost(const std::string &why)
{
    m_replies.failAll();
    {
        std::lock_guard<std::mutex> lock(m_reportMutex);
        if (m_reported)
            return;
        m_reported = true;
    }
    // Not under the lock: the callback may log out (stop()) from here.
    // stop() on any other thread joins this thread, so it returns only
    // after the callback has.
    m_host.trace("login " + std::to_string(m_handle) + " lost: " + why);
    if (m_onDisconnect)
        m_onDisconnect(m_handle, nullptr, 0, m_user);
}

void DeviceSession::flushStreams()
{
    std::vector<std::shared_ptr<RealPlayStream>> streams;
    {
        std::lock_guard<std::mutex> lock(m_streamsMutex);
        for (auto &entry : m_streams)
            streams.push_back(entry.second);
    }
    for (auto &s : streams)
        s->flushPending();
}

// Called with m_streamsMutex held. The oldest go first.
void DeviceSession::keepOrphan(tvwire::Media &media)
{
    const std::size_t size = media.data.size();
    if (size > kMaxOrphanBytes)
        return;
    while (!m_orphans.empty() && m_orphanBytes + size > kMaxOrphanBytes) {
        m_orphanBytes -= m_orphans.front().data.size();
        m_orphans.pop_front();
    }
    m_orphanBytes += size;
    m_orphans.push_back(Orphan{media.streamId, media.kind, std::move(media.data)});
}

bool DeviceSession::dispatch(tvwire::Frame &frame, std::string &why)
{
    if (frame.session != m_sessionId) {
        why = "frame for another session";
        return false;
    }
    // A whole, well-formed frame of this session is a sign of life. Media
    // counts too: behind a slow link the keep-alive answers queue behind it
    // for longer than the dead time.
    if (frame.type == tvwire::MsgMedia) {
        tvwire::Media media;
        if (!tvwire::decodeBody(frame.body, media)) {
            why = "malformed media";
            return false;
        }
        markLife();
        std::shared_ptr<RealPlayStream> stream;
        {
            std::lock_guard<std::mutex> lock(m_streamsMutex);
            auto it = m_streams.find(media.streamId);
            if (it != m_streams.end()) {
                stream = it->second;
            } else {
                keepOrphan(media);
            }
        }
        if (stream)
            stream->deliver(media.kind, media.data.data(), media.data.size());
        return true;
    }
    markLife();
    if (frame.type != tvwire::MsgKeepAliveReply)
        m_replies.deliver(std::move(frame));
    return true;
}

// One round of waiting: false when the session has ended (why says how).
bool DeviceSession::pollOnce(std::vector<std::uint8_t> &chunk, std::string &why)
{
    const Clock::time_point now = Clock::now();
    const int dead = m_deadSec.load(), keep = keepAliveEvery();
    Clock::time_point until = now + std::chrono::seconds(3600);
    if (keep > 0)
        until = std::min(until, m_nextKeepAlive);
    if (dead > 0)
        until = std::min(until, m_lastLife + std::chrono::seconds(dead));
    const int outcome = m_waiter.wait(m_socket.handle(), until);
    if (m_stopping)
        return false;
    if (outcome & SocketWaiter::Failed) {
        why = "cannot wait on the connection";
        return false;
    }
    if (outcome & SocketWaiter::Woken) {
        flushStreams();
        if (m_timingChanged.exchange(false))
            m_nextKeepAlive = Clock::now() + std::chrono::seconds(std::max(1, keep));
    }
    if (outcome & SocketWaiter::Readable) {
        const long n = m_socket.receive(chunk.data(), chunk.size(), Clock::now());
        if (n == 0 || n == ErrDisconnected) {
            why = "connection closed by the recorder";
            return false;
        }
        if (n > 0) {
            m_bytesSinceLife += std::size_t(n);
            if (m_bytesSinceLife >= kLifeBytes)
                markLife();
            m_buffer.append(chunk.data(), std::size_t(n));
            tvwire::Frame frame;
            int r;
            while ((r = m_buffer.next(frame, why)) == 1) {
                if (!dispatch(frame, why))
                    return false;
            }
            if (r < 0)
                return false;
        }
    }
    const Clock::time_point after = Clock::now();
    if (dead > 0 && after >= m_lastLife + std::chrono::seconds(dead)) {
        why = "recorder silent for " + std::to_string(dead) + " s";
        return false;
    }
    if (keep > 0 && after >= m_nextKeepAlive) {
        m_nextKeepAlive = after + std::chrono::seconds(keep);
        if (send(tvwire::MsgKeepAlive, ++m_sequence, {}, after + std::chrono::seconds(1)) != 0) {
            why = "keep-alive could not be sent";
            return false;
        }
    }
    return true;
}

void DeviceSession::run()
{
    std::vector<std::uint8_t> chunk(64 * 1024);
    m_nextKeepAlive = Clock::now() + std::chrono::seconds(std::max(1, keepAliveEvery()));
    std::string why;
    // Frames that arrived with the login reply are already buffered; they
    // end the session on the same grounds as any later ones.
    tvwire::Frame frame;
    int r = 0;
    bool alive = true;
    while (alive && (r = m_buffer.next(frame, why)) == 1)
        alive = dispatch(frame, why);
    alive = alive && r >= 0;
    while (alive && pollOnce(chunk, why)) {
    }
    if (!m_stopping)
        lost(why);
}

} // namespace netsdk
