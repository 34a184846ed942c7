// The recorder simulator's session against a hostile client: one
// RecorderServer with its real display (small, so that pictures are cheap)
// for the whole run, and per input one loopback connection whose client
// side the harness writes. The first input byte says whether the harness
// logs in first with a known account (the proof computed from the session's
// own challenge), so that the fuzzer reaches the logged-in states: real
// play with media flowing, remote-control commands applied to the display,
// keep-alives, configuration, stop and logout.
//
// Checked besides memory safety and leaks: everything the simulator sends
// is a well-formed frame of a type the recorder may send, carrying the
// session's id (0 before a login is accepted), no more answers than
// requests and nothing after the logout answer; the bytes it holds for the
// client stay within its bound; and once the client has gone the session
// is gone too, with its viewer, within two seconds.
//
// The same records go to the P2P service instead when the flags say so: it
// must answer with at most one well-formed reply, and let go of the
// connection once the client has gone.
//
// Input: a flags byte (bit 0: log in first; bit 1: as a cloud login; bit 2:
// from the one source address that every such input shares, so that failed
// logins pile up against it, instead of an address of its own; bit 3: to
// the P2P service), then records [control][length: 2 bytes LE][payload]. Control bits 0-1: 0 the
// payload as raw bytes, 1 a frame the harness builds ([type: 2 bytes LE]
// [body]), 2 an "OPRemoteCtrl" command whose JSON text is the payload,
// 3 a pause in which the harness reads what the simulator sends until a
// media frame has come (while real play runs, at most 100 ms). Bit 2: the
// frame carries session 0 instead of the session's id. Bit 3: the first
// four bytes of the built frame's body become the stream id of the latest
// real play (the simulator derives it from the session id, which differs
// on every run). Bits 4-7, k: a burst, the record's bytes written 2^k times
// back to back (at most kMaxBurst bytes), for floods and back-pressure.
#include "LoginProof.h"
#include "Messages.h"
#include "P2PService.h"
#include "ProtocolDecoder.h"
#include "ProtocolEncoder.h"
#include "RecorderServer.h"
#include "RecorderSession.h"
#include "WireFormat.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char kUser[] = "admin";
const char kPassword[] = "fuzz-secret";
constexpr std::size_t kMaxBurst = 256 * 1024;
// All an input may send: enough to fill the socket buffers many times over,
// little enough that a sanitized run of one input stays well within seconds.
constexpr std::size_t kMaxSentPerInput = 1024 * 1024;
// How long the simulator may take for what it must do (answer, read, let
// go): far above the few milliseconds it takes, so that only a simulator
// that never does it is a finding, not a machine that is busy.
constexpr auto kPatience = std::chrono::seconds(15);
int g_report = 2; // stderr as it was before libFuzzer closed it (-close_fd_mask=2)

[[noreturn]] void fail(const char *what, long long value = 0)
{
    dprintf(g_report, "fuzz_simsession: %s (%lld)\n", what, value);
    std::abort();
}

struct Sim
{
    RecorderServer *server = nullptr;
    P2PService *p2p = nullptr;
    std::uint16_t port = 0;
    std::uint16_t p2pPort = 0;
};

Sim &sim()
{
    static Sim *s = [] {
        g_report = ::dup(2);
        std::signal(SIGPIPE, SIG_IGN);
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv); // lives until the process ends
        SimOptions o;
        o.listenAddress = QHostAddress::LocalHost;
        o.listenPort = 0;
        o.users.insert(kUser, kPassword);
        o.width = 160;
        o.height = 120;
        o.fps = 10;
        auto *s = new Sim;
        s->server = new RecorderServer(o);
        s->server->viewers().setViewerInterval(0);
        QString error;
        if (!s->server->listen(error))
            fail("cannot listen");
        s->port = s->server->port();
        s->p2p =
            new P2PService(o.serial, o.listenAddress, s->port, o.loginTimeoutMs, o.maxConnections);
        if (!s->p2p->listen(QHostAddress::LocalHost, 0, error))
            fail("cannot listen for P2P");
        s->p2pPort = s->p2p->port();
        return s;
    }();
    return *s;
}

void pump()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The client's end of one connection and what it has received.
class Client
{
public:
    // From `source` (host order) to the recorder, or to the P2P service.
    Client(std::uint16_t port, std::uint32_t source, bool p2p) : m_p2p(p2p)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl(source);
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&from), sizeof from) != 0)
            fail("cannot bind", errno);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        if (m_fd < 0 || ::connect(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
            fail("cannot connect", errno);
        // Closed with a reset, so that no connection lingers between runs.
        const linger hard{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
    }
    ~Client()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void close()
    {
        ::close(m_fd);
        m_fd = -1;
    }

    // Writes all of it, letting the simulator read meanwhile.
    void write(const std::vector<std::uint8_t> &bytes)
    {
        countRequests(bytes);
        std::size_t at = 0;
        const auto deadline = Clock::now() + kPatience;
        while (m_fd >= 0 && at < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (n > 0) {
                at += std::size_t(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN)
                return; // the simulator closed: the rest is not heard
            if (Clock::now() > deadline)
                fail("the simulator stopped reading a client that reads");
            pump();
            receive();
        }
    }

    // Takes what has arrived; false once the simulator has closed.
    bool receive()
    {
        std::uint8_t chunk[16384];
        for (;;) {
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n > 0) {
                m_in.insert(m_in.end(), chunk, chunk + n);
                continue;
            }
            if (n == 0 || (n < 0 && errno != EAGAIN))
                m_closed = true;
            break;
        }
        parse();
        return !m_closed;
    }

    bool closed() const { return m_closed; }
    std::uint32_t session() const { return m_session; }
    const std::vector<std::uint8_t> &nonce() const { return m_nonce; }
    int media() const { return m_media; }
    bool playing() const { return m_playing; }
    std::uint32_t stream() const { return m_stream; }

private:
    // Whole frames among all the client has written, whatever their type:
    // no request can be answered twice.
    void countRequests(const std::vector<std::uint8_t> &bytes)
    {
        if (m_outBroken)
            return;
        m_out.erase(m_out.begin(), m_out.begin() + long(m_outAt)); // once per write
        m_outAt = 0;
        m_out.insert(m_out.end(), bytes.begin(), bytes.end());
        for (;;) {
            tvwire::Frame f;
            std::size_t used = 0;
            std::string error;
            const auto r = tvwire::ProtocolDecoder::decode(m_out.data() + m_outAt,
                                                           m_out.size() - m_outAt, f, used, error);
            if (r != tvwire::ProtocolDecoder::Complete) {
                m_outBroken = r == tvwire::ProtocolDecoder::Malformed;
                return;
            }
            m_outAt += used;
            ++m_requests;
        }
    }

    // Checks each frame the simulator sent as it completes.
    void parse()
    {
        using namespace tvwire;
        for (;;) {
            Frame f;
            std::size_t used = 0;
            std::string error;
            const auto r =
                ProtocolDecoder::decode(m_in.data() + m_at, m_in.size() - m_at, f, used, error);
            if (r == ProtocolDecoder::Malformed)
                fail("the simulator sent a malformed frame");
            if (r == ProtocolDecoder::NeedMore)
                break;
            m_at += used;
            if (m_p2p) {
                checkP2P(f);
                continue;
            }
            if (m_loggedOut)
                fail("the simulator sent a frame after its logout answer", f.type);
            if (f.type == MsgChallenge) {
                Challenge c;
                if (!m_nonce.empty() || f.session || !decodeBody(f.body, c))
                    fail("a second or malformed challenge");
                m_nonce = c.nonce;
                continue;
            }
            if (f.type == MsgMedia) {
                Media m;
                if (!m_session || f.session != m_session || !decodeBody(f.body, m))
                    fail("media outside the session or malformed");
                ++m_media;
                continue;
            }
            if (++m_answers > m_requests)
                fail("more answers than requests", m_answers);
            if (f.type == MsgLoginReply) {
                LoginReply reply;
                if (m_session || !decodeBody(f.body, reply) ||
                    (reply.result == 0) != (f.session != 0))
                    fail("a login answer that does not fit the session");
                m_session = f.session;
                continue;
            }
            if (!m_session || f.session != m_session)
                fail("an answer outside the session", f.type);
            switch (f.type) {
            case MsgLogoutReply:
                m_loggedOut = true;
                break;
            case MsgRealPlayReply: {
                RealPlayReply reply;
                if (!decodeBody(f.body, reply))
                    fail("a malformed real-play answer");
                m_playing = m_playing || reply.result == 0;
                if (reply.result == 0)
                    m_stream = reply.streamId;
                break;
            }
            case MsgStopRealPlayReply: {
                ResultReply reply;
                if (!decodeBody(f.body, reply))
                    fail("a malformed stop answer");
                m_playing = m_playing && reply.result != 0;
                break;
            }
            case MsgKeepAliveReply:
            case MsgConfigReply:
            case MsgJsonReply:
                break;
            default:
                fail("a message type the recorder does not send", f.type);
            }
        }
        if (m_at > 1024 * 1024) {
            m_in.erase(m_in.begin(), m_in.begin() + long(m_at));
            m_at = 0;
        }
    }

    void checkP2P(const tvwire::Frame &f)
    {
        tvwire::P2PReply reply;
        if (f.type != tvwire::MsgP2PReply || !tvwire::decodeBody(f.body, reply))
            fail("the P2P service sent what it may not", f.type);
        if (++m_answers > 1)
            fail("the P2P service answered twice");
    }

    const bool m_p2p;
    int m_fd = -1;
    std::vector<std::uint8_t> m_in;
    std::size_t m_at = 0;
    bool m_closed = false;
    bool m_loggedOut = false;
    bool m_playing = false;
    std::uint32_t m_stream = 0;
    std::uint32_t m_session = 0;
    std::vector<std::uint8_t> m_nonce;
    int m_media = 0;
    int m_requests = 0, m_answers = 0;
    std::vector<std::uint8_t> m_out;
    std::size_t m_outAt = 0; // whole frames before it are counted
    bool m_outBroken = false;
};

RecorderSession *onlySession(RecorderServer *server)
{
    const auto sessions = server->findChildren<RecorderSession *>();
    if (sessions.size() > 1)
        fail("sessions of earlier clients remain", sessions.size());
    return sessions.isEmpty() ? nullptr : sessions.first();
}

// Lets the simulator run until it has read all the client sent (or closed),
// reading its answers meanwhile.
void settle(Client &client, QPointer<RecorderSession> &session)
{
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (session && Clock::now() < deadline) {
        pump();
        client.receive();
        QTcpSocket *socket = session ? session->findChild<QTcpSocket *>() : nullptr;
        if (!socket || socket->state() != QAbstractSocket::ConnectedState)
            return;
        constexpr qint64 bound = RecorderSession::kMaxQueuedMedia +
                                 RecorderSession::kReplyAllowance + qint64(tvwire::kHeaderSize) +
                                 qint64(tvwire::kMaxMediaBody);
        if (socket->bytesToWrite() > bound)
            fail("the simulator holds more for a client than its bound", socket->bytesToWrite());
        int unread = 0;
        ::ioctl(int(socket->socketDescriptor()), FIONREAD, &unread);
        if (unread == 0 && socket->bytesAvailable() == 0) {
            pump(); // the frames already read, handled a turn at a time
            client.receive();
            return;
        }
    }
}

void waitForMedia(Client &client, QPointer<RecorderSession> &session)
{
    const int before = client.media();
    const auto deadline = Clock::now() + std::chrono::milliseconds(100);
    while (session && client.playing() && client.media() == before && Clock::now() < deadline) {
        pump();
        client.receive();
        ::poll(nullptr, 0, 1);
    }
}

void logIn(Client &client, std::uint8_t flags, std::uint32_t &sequence)
{
    tvwire::LoginRequest request;
    request.user = kUser;
    request.proof = tvwire::LoginProof::compute(kPassword, client.nonce(), kUser);
    request.kind = (flags & 2) ? 2 : 0;
    client.write(tvwire::ProtocolEncoder::encode(tvwire::MsgLoginRequest, 0, ++sequence,
                                                 tvwire::encodeBody(request)));
}

// Lets the P2P service read what the client sent and answer.
void settleP2P(Client &client)
{
    for (int n = 0; n < 4 && !client.closed(); ++n) {
        pump();
        client.receive();
        ::poll(nullptr, 0, 1);
    }
}

// A source address for each input but those that share one: failed logins
// then only count against the shared one, and other inputs stay fast.
std::uint32_t sourceFor(std::uint8_t flags)
{
    static std::uint32_t next = 0;
    if (flags & 4)
        return 0x7f000002; // 127.0.0.2
    next = (next + 1) % 0xfffff0;
    return 0x7f000010 + next; // 127.0.0.16 and on
}

// The bytes of one record: raw, a built frame or a command, repeated for a
// burst. Empty for a pause.
std::vector<std::uint8_t> recordBytes(std::uint8_t control, const std::uint8_t *payload,
                                      std::size_t length, const Client &client,
                                      std::uint32_t &sequence)
{
    const std::uint32_t id = (control & 4) ? 0 : client.session();
    std::vector<std::uint8_t> one;
    switch (control & 3) {
    case 0:
        one.assign(payload, payload + length);
        break;
    case 1:
        if (length >= 2) {
            const std::uint16_t type = std::uint16_t(payload[0] | payload[1] << 8);
            std::vector<std::uint8_t> body(payload + 2, payload + length);
            if ((control & 8) && body.size() >= 4) {
                const std::uint32_t stream = client.stream();
                std::memcpy(body.data(), &stream, 4); // little-endian host
            }
            one = tvwire::ProtocolEncoder::encode(type, id, ++sequence, body);
        }
        break;
    case 2: {
        tvwire::JsonCommand command;
        command.name = "OPRemoteCtrl";
        command.msgId = 4000;
        command.channel = -1;
        command.json.assign(payload, payload + length);
        one = tvwire::ProtocolEncoder::encode(tvwire::MsgJsonCommand, id, ++sequence,
                                              tvwire::encodeBody(command));
        break;
    }
    default:
        return {};
    }
    std::vector<std::uint8_t> bytes = one;
    for (std::size_t n = 1; n < (std::size_t(1) << (control >> 4)) && !one.empty() &&
                            bytes.size() + one.size() <= kMaxBurst;
         ++n)
        bytes.insert(bytes.end(), one.begin(), one.end());
    return bytes;
}

void connectClient(Client &client, QPointer<RecorderSession> &session, std::uint8_t flags,
                   std::uint32_t &sequence)
{
    const auto deadline = Clock::now() + kPatience;
    while (client.nonce().empty() && !client.closed() && Clock::now() < deadline) {
        pump();
        client.receive();
    }
    if (client.nonce().empty())
        fail("no challenge");
    session = onlySession(sim().server);
    if (flags & 1) {
        logIn(client, flags, sequence);
        settle(client, session);
        // The answer may be held back on a timer after the request is read.
        const auto answered = Clock::now() + kPatience;
        while (!client.session() && !client.closed() && Clock::now() < answered) {
            pump();
            client.receive();
        }
        if (!client.session() && !(flags & 4))
            fail("the known account was refused");
    }
}

void waitGone(QPointer<RecorderSession> &session, bool p2p)
{
    Sim &s = sim();
    const auto gone = Clock::now() + kPatience;
    const auto p2pOpen = [&s] { return !s.p2p->findChildren<QTcpSocket *>().isEmpty(); };
    while ((session || p2pOpen()) && Clock::now() < gone)
        pump();
    if (session)
        fail("the session outlived its client");
    if (onlySession(s.server))
        fail("a session remains after its client left");
    if (p2p && p2pOpen())
        fail("the P2P service holds a connection after its client left");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Sim &s = sim();
    const std::uint8_t flags = size ? data[0] : 1;
    const bool p2p = flags & 8;
    Client client(p2p ? s.p2pPort : s.port, sourceFor(flags), p2p);
    QPointer<RecorderSession> session;
    std::uint32_t sequence = 0;
    if (!p2p)
        connectClient(client, session, flags, sequence);
    std::size_t at = 1;
    std::size_t sent = 0;
    while (at + 3 <= size && (session || p2p) && !client.closed()) {
        const std::uint8_t control = data[at];
        const std::size_t length =
            std::min<std::size_t>(data[at + 1] | data[at + 2] << 8, size - at - 3);
        const std::vector<std::uint8_t> bytes =
            recordBytes(control, data + at + 3, length, client, sequence);
        at += 3 + length;
        sent += bytes.size();
        if (sent > kMaxSentPerInput)
            break;
        if ((control & 3) == 3 && !p2p)
            waitForMedia(client, session);
        else
            client.write(bytes);
        if (p2p)
            settleP2P(client);
        else
            settle(client, session);
    }
    client.close();
    waitGone(session, p2p);
    return 0;
}
