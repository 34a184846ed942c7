#pragma once
// A client of the recorder simulator that does what the SDK never would:
// pipelines, stops half-way, announces what it may not send, or stops
// reading. Plain blocking POSIX sockets with explicit deadlines, so that it
// can run on any thread and its timing does not depend on an event loop.

#include "Frame.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <cstdint>
#include <string>
#include <vector>

class HostilePeer
{
public:
    HostilePeer() = default;
    ~HostilePeer();
    HostilePeer(const HostilePeer &) = delete;
    HostilePeer &operator=(const HostilePeer &) = delete;

    // Connects to 127.0.0.1:port and reads the challenge; false if none
    // comes within timeoutMs.
    bool connectTo(quint16 port, int timeoutMs = 2000);
    // Connects without waiting for anything.
    bool connectOnly(quint16 port);
    // For the next connections: this loopback source address (127.0.0.2,
    // say) instead of the kernel's choice, to stand for another host.
    void setSource(const char *ipv4) { m_source = ipv4; }
    // For the next connection: a receive buffer of this many bytes, so that
    // the kernel does not read ahead for a slow reader.
    void setReceiveBuffer(int bytes) { m_receiveBuffer = bytes; }
    // From now on reads at most this many bytes a second (0: as fast as
    // they come), like a client behind a slow link.
    void setReadRate(qint64 bytesPerSecond);
    void close();

    static QByteArray frame(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
                            const std::vector<std::uint8_t> &body);
    QByteArray loginFrame(const std::string &user, const std::string &password,
                          std::uint32_t sequence = 1) const;
    // Logs in; the result code, or 1 when no reply came.
    int login(const std::string &user, const std::string &password);
    bool send(const QByteArray &bytes);
    // Writes without blocking; how much the socket took.
    qint64 sendSome(const QByteArray &bytes);
    // 1 = a frame, 0 = none within timeoutMs, -1 = closed or broken.
    int readFrame(tvwire::Frame &frame, int timeoutMs);
    // Reads and discards until the server closes: true if it does within
    // timeoutMs. frames counts the whole frames that came before.
    bool waitClosed(int timeoutMs, int *frames = nullptr);
    // Round trip of one keep-alive in ms, or -1.
    double keepAliveMs(int timeoutMs);

    std::uint32_t session() const { return m_session; }
    std::uint32_t nextSequence() { return ++m_sequence; }

private:
    int fill(int timeoutMs);
    std::size_t allowance(const QDeadlineTimer &deadline);

    int m_fd = -1;
    std::vector<std::uint8_t> m_nonce;
    std::vector<std::uint8_t> m_in;
    std::size_t m_offset = 0; // of m_in already read as frames
    std::uint32_t m_session = 0;
    std::uint32_t m_sequence = 100;
    int m_receiveBuffer = 0;
    const char *m_source = nullptr;
    qint64 m_readRate = 0;
    double m_readTokens = 0;
    QElapsedTimer m_readClock;
};
