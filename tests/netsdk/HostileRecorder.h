#pragma once
// A recorder that does whatever a test scripts: it listens on a loopback
// port, accepts one client and runs the script on a thread of its own with
// that connection, speaking the wire format through tv_protocol. For what
// the simulator would never send.

#include "Frame.h"

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

class QTcpSocket;

class HostileRecorder
{
public:
    class Peer
    {
    public:
        explicit Peer(QTcpSocket &socket) : m_socket(socket) {}
        // `sequence`: that of the request answered, 0 for what answers none.
        bool send(std::uint16_t type, const std::vector<std::uint8_t> &body,
                  std::uint32_t sequence = 0);
        // The next frame from the client, false after timeoutMs or at its end.
        bool read(tvwire::Frame &frame, int timeoutMs = 5000);
        // Challenge, login request, then a successful reply with these counts,
        // and `after` written in the same piece as the reply.
        bool acceptLogin(std::int32_t channelsA, std::int32_t channelsB,
                         const std::vector<std::uint8_t> &after = {});
        void sendMedia(std::uint32_t streamId, std::uint8_t kind, std::size_t size);
        // The bytes one at a time, gapMs apart, ignoring what the client
        // sends; false as soon as the client has closed the connection.
        bool trickle(const std::vector<std::uint8_t> &bytes, int gapMs);
        static constexpr std::uint32_t kSession = 0x5e55;

    private:
        // Writes the bytes and waits until the socket has sent them.
        bool writeAll(const std::vector<std::uint8_t> &bytes);
        QTcpSocket &m_socket;
        QByteArray m_pending;
    };
    using Script = std::function<void(Peer &)>;

    // Gives up waiting for the client after acceptMs.
    explicit HostileRecorder(Script script, int acceptMs = 10000);
    ~HostileRecorder();
    // The port, once listening; 0 when that failed.
    quint16 start();

private:
    void run();

    Script m_script;
    const int m_acceptMs;
    std::thread m_thread;
    std::atomic<int> m_port{-1};
};
