#pragma once
// Matches replies to the requests waiting for them, by sequence number.
// Callers wait on their own threads; the session thread delivers.

#include "Frame.h"
#include "TcpSocket.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>

namespace netsdk {

class ReplyWaiter
{
public:
    void expect(std::uint32_t sequence);
    // 0 with the reply, ErrTimeOut, or ErrDisconnected once failAll ran.
    int wait(std::uint32_t sequence, Clock::time_point deadline, tvwire::Frame &reply);
    // False when nobody waits for that sequence (a late reply).
    bool deliver(tvwire::Frame &&reply);
    // Releases every waiter, now and later, with ErrDisconnected.
    void failAll();

private:
    struct Slot
    {
        bool arrived = false;
        tvwire::Frame frame;
    };
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::map<std::uint32_t, Slot> m_slots;
    bool m_failed = false;
};

} // namespace netsdk
