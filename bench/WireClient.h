#pragma once
// A recorder client that speaks the wire protocol itself, from a source
// address of its choice: libNetSDK cannot bind its sockets, and attackers
// from many loopback addresses must. Blocking calls, each with a deadline,
// on a POSIX socket; one thread at a time.

#include "sdk/protocol/Frame.h"

#include <cstdint>
#include <string>
#include <vector>

class WireClient
{
public:
    WireClient() = default;
    ~WireClient();
    WireClient(const WireClient &) = delete;
    WireClient &operator=(const WireClient &) = delete;

    // The n-th loopback source address an attacker may use (127.0.0.2
    // upwards, never 127.0.0.1, which the honest clients use), host order.
    static std::uint32_t loopback(int n);

    // Connects from `source` (host order) to 127.0.0.1:port; a receive
    // buffer of rcvbuf bytes when not 0 (set before connecting).
    bool connectTo(std::uint16_t port, std::uint32_t source, int timeoutMs, int rcvbuf = 0);
    // Reads the challenge and logs in as admin with the empty password.
    bool login(int timeoutMs);
    // Asks for the display channel's stream; true once the recorder agreed.
    bool realPlay(int timeoutMs);
    bool send(std::uint16_t type, const std::vector<std::uint8_t> &body);
    // Sends the bytes as they are (several frames at once, say).
    bool sendRaw(const std::vector<std::uint8_t> &bytes);
    // Encodes one frame of this session, for sendRaw.
    std::vector<std::uint8_t> frame(std::uint16_t type, const std::vector<std::uint8_t> &body);
    // The next frame; false on a deadline, a close or a malformed stream.
    bool next(tvwire::Frame &frame, int timeoutMs);
    // The next frame of this type, skipping others (media, say).
    bool nextOf(std::uint16_t type, tvwire::Frame &frame, int timeoutMs);
    // Reads and drops whatever arrives for this long; false once closed.
    bool drain(int ms);
    // True when the recorder closed the connection (waits up to timeoutMs).
    bool closedByPeer(int timeoutMs);
    void close();
    int fd() const { return m_fd; }
    int channel() const { return m_channel; }

private:
    // Appends what the socket has within the deadline; false on close.
    bool fill(int timeoutMs);

    int m_fd = -1;
    std::uint32_t m_session = 0;
    std::uint32_t m_sequence = 0;
    int m_channel = 0;
    std::vector<std::uint8_t> m_in;
};
