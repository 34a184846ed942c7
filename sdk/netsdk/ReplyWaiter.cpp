#include "ReplyWaiter.h"

#include "NetSdkCodes.h"

namespace netsdk {

void ReplyWaiter::expect(std::uint32_t sequence)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slots[sequence] = Slot();
}

int ReplyWaiter::wait(std::uint32_t sequence, Clock::time_point deadline, tvwire::Frame &reply)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [&] { return m_failed || m_slots[sequence].arrived; };
    const bool done = m_cv.wait_until(lock, deadline, ready);
    int result = ErrTimeOut;
    if (done && m_slots[sequence].arrived) {
        reply = std::move(m_slots[sequence].frame);
        result = 0;
    } else if (done) {
        result = ErrDisconnected;
    }
    m_slots.erase(sequence);
    return result;
}

bool ReplyWaiter::deliver(tvwire::Frame &&reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_slots.find(reply.sequence);
    if (it == m_slots.end())
        return false;
    it->second.frame = std::move(reply);
    it->second.arrived = true;
    m_cv.notify_all();
    return true;
}

void ReplyWaiter::failAll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failed = true;
    m_cv.notify_all();
}

} // namespace netsdk
