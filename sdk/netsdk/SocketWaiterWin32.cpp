#include "SocketWaiter.h"

#include <winsock2.h>

namespace netsdk {

// Windows Sockets has no descriptor to poll for a wake-up, so the socket's
// read and close events and the wake-up are two event objects waited on
// together.
SocketWaiter::SocketWaiter()
{
    if (!sock::startup())
        return;
    m_wakeEvent = ::WSACreateEvent();
    m_socketEvent = ::WSACreateEvent();
}

SocketWaiter::~SocketWaiter()
{
    // WSA_INVALID_EVENT is a null handle.
    if (m_wakeEvent)
        ::WSACloseEvent(m_wakeEvent);
    if (m_socketEvent)
        ::WSACloseEvent(m_socketEvent);
}

bool SocketWaiter::isValid() const
{
    return m_wakeEvent && m_socketEvent;
}

void SocketWaiter::wake()
{
    if (m_wakeEvent)
        ::WSASetEvent(m_wakeEvent);
}

int SocketWaiter::wait(sock::Handle socket, Clock::time_point until)
{
    if (!isValid())
        return Failed;
    const SOCKET s = SOCKET(socket);
    // Bound once: selecting again would clear a close already recorded.
    if (m_selected != socket) {
        if (::WSAEventSelect(s, m_socketEvent, FD_READ | FD_CLOSE) != 0)
            return Failed;
        m_selected = socket;
        m_closed = false;
    }
    // A close is recorded once, possibly while data is still unread: from
    // then on every wait says readable until the read reaches the end.
    int outcome = m_closed ? Readable : 0;
    if (!m_closed) {
        WSAEVENT events[2] = {m_socketEvent, m_wakeEvent};
        if (::WSAWaitForMultipleEvents(2, events, FALSE, DWORD(millisecondsUntil(until)), FALSE) ==
            WSA_WAIT_FAILED)
            return Failed;
        WSANETWORKEVENTS happened{};
        if (::WSAEnumNetworkEvents(s, m_socketEvent, &happened) != 0)
            happened.lNetworkEvents = FD_CLOSE;
        if (happened.lNetworkEvents & FD_CLOSE)
            m_closed = true;
        if (happened.lNetworkEvents & (FD_READ | FD_CLOSE))
            outcome |= Readable;
    }
    if (::WaitForSingleObject(m_wakeEvent, 0) == WAIT_OBJECT_0) {
        ::WSAResetEvent(m_wakeEvent);
        outcome |= Woken;
    }
    return outcome;
}

} // namespace netsdk
