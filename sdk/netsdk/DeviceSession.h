#pragma once
// One login to a recorder.
//
// Threads: the session thread (started by start()) alone reads the socket:
// it hands replies to ReplyWaiter, media to the RealPlayStreams, sends the
// keep-alives, and on a lost connection or a silent recorder calls the
// disconnect callback, once. Callers' threads send requests (under
// m_writeMutex) and wait for their replies. stop() ends the thread; when
// called on the session thread itself (from a callback) the thread is handed
// to the host, which joins it at clean-up.

#include "DeviceSessionHost.h"
#include "FrameBuffer.h"
#include "ReplyWaiter.h"
#include "SdkDefs.h"
#include "SocketWaiter.h"
#include "TcpSocket.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tvwire {
struct Media;
}

namespace netsdk {

class RealPlayStream;

class DeviceSession : public std::enable_shared_from_this<DeviceSession>
{
public:
    DeviceSession(DeviceSessionHost &host, int handle, std::uint32_t sessionId, TcpSocket &&socket,
                  FrameBuffer &&buffer, tvsdk::DisconnectCallback onDisconnect, void *user);
    ~DeviceSession();

    int handle() const { return m_handle; }
    // False when the session could not get what it waits with; it must not
    // be started then.
    bool canWait() const { return m_waiter.isValid(); }
    // False when the system gave no thread for the session.
    bool start();
    // Sends a request and waits for its reply: 0 or ErrTimeOut,
    // ErrDisconnected.
    int request(std::uint16_t type, const std::vector<std::uint8_t> &body, int timeoutMs,
                tvwire::Frame &reply);
    // Sends a message that needs no answer: 0, ErrTimeOut or ErrDisconnected.
    int notify(std::uint16_t type, const std::vector<std::uint8_t> &body, int timeoutMs);
    void setTiming(int keepAliveSec, int deadSec);
    // False when the recorder gave the stream an id that another real play
    // of this login still has: the two could not be told apart.
    bool addStream(const std::shared_ptr<RealPlayStream> &stream);
    void removeStream(std::uint32_t streamId);
    // Makes the session thread deliver blocks held for a new callback.
    void wake();
    // Says goodbye to the recorder (when sayGoodbye), ends the thread and
    // closes the socket. No disconnect callback runs after it returns.
    void stop(bool sayGoodbye);

private:
    void run();
    int keepAliveEvery() const;
    void markLife();
    bool pollOnce(std::vector<std::uint8_t> &chunk, std::string &why);
    bool dispatch(tvwire::Frame &frame, std::string &why);
    int send(std::uint16_t type, std::uint32_t sequence, const std::vector<std::uint8_t> &body,
             Clock::time_point deadline);
    void lost(const std::string &why);
    void flushStreams();
    void keepOrphan(tvwire::Media &media);

    DeviceSessionHost &m_host;
    const int m_handle;
    const std::uint32_t m_sessionId;
    TcpSocket m_socket;
    FrameBuffer m_buffer;
    const tvsdk::DisconnectCallback m_onDisconnect;
    void *const m_user;
    SocketWaiter m_waiter;
    std::thread m_thread;
    std::mutex m_writeMutex;
    ReplyWaiter m_replies;
    std::atomic<std::uint32_t> m_sequence{0};
    std::atomic<int> m_keepAliveSec;
    std::atomic<int> m_deadSec;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_timingChanged{false};
    std::mutex m_reportMutex; // guards m_reported: one report, none after stop()
    bool m_reported = false;
    std::mutex m_streamsMutex;
    std::map<std::uint32_t, std::shared_ptr<RealPlayStream>> m_streams;
    // Media that came for a stream before the real-play call registered it
    // (the recorder starts sending with its answer). Bounded in bytes: a
    // recorder could otherwise fill it with streams it never announces.
    struct Orphan
    {
        std::uint32_t streamId;
        int kind;
        std::vector<std::uint8_t> data;
    };
    std::deque<Orphan> m_orphans;
    std::size_t m_orphanBytes = 0;
    // The last whole frame of this session, or kLifeBytes received since.
    Clock::time_point m_lastLife;
    std::size_t m_bytesSinceLife = 0;
    Clock::time_point m_nextKeepAlive;
};

} // namespace netsdk
