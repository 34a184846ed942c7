// libNetSDK against a hostile recorder, through its C entry points (looked
// up by ordinal, as the client binds them). The harness plays the recorder
// on loopback and answers each thing the SDK sends (the connection, the
// login request, every request) with the next records of the input; when a
// record says so, or once the input is used up, the answer a sound recorder
// gives follows, so that the SDK gets past the login and reaches the later
// states whatever came before. The SDK side logs in (by address, by host
// name or by cloud serial through the P2P service, which the harness plays
// too, on a port of its own), reads both configuration records, starts
// real play with a data callback, sends a remote-control command, stops
// real play and logs out (or cleans up), the first input byte choosing
// which of these run. Host names end in ".fuzz" and are answered by the
// harness's own name service (FakeResolver) as the input says.
//
// Checked besides memory safety and leaks: every call returns within its
// own time-out (plus a margin for the sanitizers); the data callback gets
// only its own handle and never runs once real play is stopped; the
// disconnect callback comes at most once and never after the logout; and
// the SDK's connection is closed once it has logged out or failed to log in;
// a P2P query carries the serial given; and the look-ups of names never
// overlap for one name nor exceed the SDK's cap (FakeResolver).
//
// Input: a byte of call choices; when its bit 7 is set, a byte of login
// mode (below); then records [control][length: 2 bytes LE]
// [payload]. Control bits 0-1: 0 the payload as raw bytes, 1 a frame the
// harness builds ([type: 2 bytes LE][body]) with the current request's
// sequence, 2 a media frame for the stream ([kind][data]), 3 the same as 0.
// Bit 2: the frame carries session 0 instead of the logged-in one. Bit 3:
// the last record of this answer. Bits 4-5 then: 0 the sound answer follows,
// 1 nothing follows, 2 the recorder closes the connection.
// Login mode bits: 0 by cloud serial (else by the recorder's host name);
// 1 the P2P server by host name (else by address); 2 the P2P service names
// the recorder by host name (else by address); 3-4 how names are answered
// (FakeResolver::Behaviour); 5 two connect tries (else one); 6-7 = 2: held
// look-ups are let go only after clean-up, which then leaves them running
// (else as soon as the login returns; rare, since clean-up waits for them).
#include "FakeResolver.h"
#include "Messages.h"
#include "ProtocolDecoder.h"
#include "ProtocolEncoder.h"
#include "SdkDefs.h"
#include "WireFormat.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern "C" void *tv_proc_by_ordinal(int nOrdinal);

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kSession = 0x4242;
constexpr std::uint32_t kStream = 0x77;
constexpr int kConnectWaitMs = 500;
// Logins by name or serial may take several tries, each this long.
constexpr int kNameWaitMs = 20;
constexpr char kSerial[] = "FUZZ0001";
constexpr int kShortTimeoutMs = 30;
// The sanitizers and a shared machine slow everything; a call that hangs
// is still far beyond this.
constexpr int kMarginMs = 2000;

[[noreturn]] void fail(const char *what, long long value = 0)
{
    std::fprintf(stderr, "fuzz_netsdksession: %s (%lld)\n", what, value);
    std::abort();
}

// A loopback listener on a port of its own; -1 when there is none.
int listenOnLoopback(std::uint16_t &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&a), len) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len) != 0)
        return -1;
    port = ntohs(a.sin_port);
    return fd;
}

struct Sdk
{
    tvsdk::FnSetP2PServer setP2PServer;
    tvsdk::FnInit init;
    tvsdk::FnSetConnectTime setConnectTime;
    tvsdk::FnLogin login;
    tvsdk::FnGetDevConfig getConfig;
    tvsdk::FnRealPlay realPlay;
    tvsdk::FnSetRealDataCallback setDataCallback;
    tvsdk::FnStopRealPlay stopRealPlay;
    tvsdk::FnSendJson sendJson;
    tvsdk::FnLogout logout;
    tvsdk::FnCleanup cleanup;
    int listener = -1, p2pListener = -1;
    std::uint16_t port = 0, p2pPort = 0;
    int stopPipe[2] = {-1, -1}; // a byte in it ends the recorder's run
};

template <typename Fn> Fn entry(int ordinal)
{
    void *p = tv_proc_by_ordinal(ordinal);
    if (!p)
        fail("missing ordinal", ordinal);
    return reinterpret_cast<Fn>(p);
}

Sdk &sdk()
{
    static Sdk *s = [] {
        auto *s = new Sdk;
        s->setP2PServer = entry<tvsdk::FnSetP2PServer>(tvsdk::NetOrdSetP2PServer);
        s->init = entry<tvsdk::FnInit>(tvsdk::NetOrdInit);
        s->setConnectTime = entry<tvsdk::FnSetConnectTime>(tvsdk::NetOrdSetConnectTime);
        s->login = entry<tvsdk::FnLogin>(tvsdk::NetOrdLogin);
        s->getConfig = entry<tvsdk::FnGetDevConfig>(tvsdk::NetOrdGetDevConfig);
        s->realPlay = entry<tvsdk::FnRealPlay>(tvsdk::NetOrdRealPlay);
        s->setDataCallback = entry<tvsdk::FnSetRealDataCallback>(tvsdk::NetOrdSetRealDataCallback);
        s->stopRealPlay = entry<tvsdk::FnStopRealPlay>(tvsdk::NetOrdStopRealPlay);
        s->sendJson = entry<tvsdk::FnSendJson>(tvsdk::NetOrdSendJson);
        s->logout = entry<tvsdk::FnLogout>(tvsdk::NetOrdLogout);
        s->cleanup = entry<tvsdk::FnCleanup>(tvsdk::NetOrdCleanup);
        s->listener = listenOnLoopback(s->port);
        s->p2pListener = listenOnLoopback(s->p2pPort);
        if (s->listener < 0 || s->p2pListener < 0 ||
            ::pipe2(s->stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            fail("no loopback listener");
        return s;
    }();
    return *s;
}

// ---- the recorder side, on a thread of its own -----------------------------

class Recorder
{
public:
    // The P2P service sends the SDK to recorderHost.
    Recorder(const std::uint8_t *data, std::size_t size, std::string recorderHost)
        : m_data(data), m_size(size), m_recorderHost(std::move(recorderHost))
    {
    }

    // Serves the SDK's connections to the recorder and to the P2P service,
    // one at a time, as they come, until a byte arrives in the stop pipe;
    // then turns away those still waiting, so that none is left to the
    // next input.
    void run(const Sdk &s)
    {
        m_recorderPort = s.port;
        for (;;) {
            pollfd p[3] = {
                {s.listener, POLLIN, 0}, {s.p2pListener, POLLIN, 0}, {s.stopPipe[0], POLLIN, 0}};
            if (::poll(p, 3, -1) <= 0)
                continue;
            if (p[2].revents)
                break;
            const bool p2p = !(p[0].revents & POLLIN);
            if (accept(p2p ? s.p2pListener : s.listener))
                serve(p2p);
        }
        char byte;
        while (::read(s.stopPipe[0], &byte, 1) == 1) {
        }
        for (const int listener : {s.listener, s.p2pListener}) {
            while (accept(listener))
                ::close(m_fd);
        }
    }

    int recorderConnections() const { return m_recorderConnections; }

private:
    // A connection waiting on the listener, if any.
    bool accept(int listener)
    {
        pollfd p{listener, POLLIN, 0};
        m_fd = ::poll(&p, 1, 0) == 1 ? ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC) : -1;
        if (m_fd < 0)
            return false;
        // Closed with a reset, so that no connection lingers between runs.
        const linger hard{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        // As a recorder does: an answer and the media after it go out at
        // once, not after the SDK's delayed acknowledgement.
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return true;
    }

    void serve(bool p2p)
    {
        m_in.clear();
        if (!p2p) {
            ++m_recorderConnections;
            tvwire::Frame none;
            answer(none); // the challenge, unasked
        }
        tvwire::Frame request;
        while (m_fd >= 0 && readFrame(request))
            answer(request);
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    // The SDK's next frame; false at its end of the connection. The SDK
    // must close it by itself once it has logged out or given up.
    bool readFrame(tvwire::Frame &frame)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(15);
        for (;;) {
            std::size_t used = 0;
            std::string error;
            const auto r =
                tvwire::ProtocolDecoder::decode(m_in.data(), m_in.size(), frame, used, error);
            if (r == tvwire::ProtocolDecoder::Malformed)
                fail("the SDK sent a malformed frame");
            if (r == tvwire::ProtocolDecoder::Complete) {
                m_in.erase(m_in.begin(), m_in.begin() + long(used));
                return true;
            }
            const int left =
                int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                        .count());
            pollfd p{m_fd, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, left) != 1)
                fail("the SDK left its connection open");
            std::uint8_t chunk[4096];
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return false;
            m_in.insert(m_in.end(), chunk, chunk + n);
        }
    }

    void send(const std::vector<std::uint8_t> &bytes)
    {
        std::size_t at = 0;
        while (m_fd >= 0 && at < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (n <= 0)
                return; // the SDK has gone; its calls report that
            at += std::size_t(n);
        }
    }

    void sendFrame(std::uint16_t type, std::uint32_t session, std::uint32_t sequence,
                   const std::vector<std::uint8_t> &body)
    {
        send(tvwire::ProtocolEncoder::encode(type, session, sequence, body));
    }

    // Sends records up to the last one of this answer; returns its ending,
    // or 0 (the sound answer) once the input is used up.
    int sendRecords(const tvwire::Frame &request)
    {
        while (m_at + 3 <= m_size) {
            const std::uint8_t control = m_data[m_at];
            const std::size_t length =
                std::min<std::size_t>(m_data[m_at + 1] | m_data[m_at + 2] << 8, m_size - m_at - 3);
            const std::uint8_t *payload = m_data + m_at + 3;
            m_at += 3 + length;
            const std::uint32_t session = (control & 4) ? 0 : kSession;
            switch (control & 3) {
            case 1:
                if (length >= 2)
                    sendFrame(std::uint16_t(payload[0] | payload[1] << 8), session,
                              request.sequence, {payload + 2, payload + length});
                break;
            case 2:
                if (length >= 1) {
                    tvwire::Media media{kStream, payload[0], {payload + 1, payload + length}};
                    sendFrame(tvwire::MsgMedia, session, 0, tvwire::encodeBody(media));
                }
                break;
            default:
                send({payload, payload + length});
                break;
            }
            if (control & 8)
                return (control >> 4) & 3;
        }
        return 0;
    }

    void answer(const tvwire::Frame &request)
    {
        const int ending = sendRecords(request);
        if (ending == 2) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        // Silence costs the whole wait: only where it is short (the
        // configuration and command calls here) or nobody waits.
        if (ending == 1 && request.type != 0 && request.type != tvwire::MsgLoginRequest &&
            request.type != tvwire::MsgRealPlayRequest)
            return;
        soundAnswer(request);
    }

    void soundAnswer(const tvwire::Frame &request)
    {
        using namespace tvwire;
        const std::uint32_t seq = request.sequence;
        switch (request.type) {
        case 0: // the connection: the challenge
            sendFrame(MsgChallenge, 0, 0, encodeBody(Challenge{std::vector<std::uint8_t>(32, 7)}));
            return;
        case MsgLoginRequest: {
            LoginReply reply;
            reply.channelA = 1;
            reply.serial = "fuzz";
            return sendFrame(MsgLoginReply, kSession, seq, encodeBody(reply));
        }
        case MsgConfigRequest: {
            ConfigRequest asked;
            ConfigReply reply;
            if (decodeBody(request.body, asked))
                reply.data.assign(asked.command == tvsdk::kCmdSystemFunction ? 229 : 8, 1);
            return sendFrame(MsgConfigReply, kSession, seq, encodeBody(reply));
        }
        case MsgRealPlayRequest: {
            sendFrame(MsgRealPlayReply, kSession, seq, encodeBody(RealPlayReply{0, kStream}));
            const Media key{kStream, MediaVideoKey, {0, 0, 0, 1, 0x67, 0x42, 0, 0x0a}};
            return sendFrame(MsgMedia, kSession, 0, encodeBody(key));
        }
        case MsgJsonCommand:
            return sendFrame(MsgJsonReply, kSession, seq, encodeBody(ResultReply{0}));
        case MsgKeepAlive:
            return sendFrame(MsgKeepAliveReply, kSession, seq, {});
        case MsgStopRealPlay:
            return sendFrame(MsgStopRealPlayReply, kSession, seq, encodeBody(ResultReply{0}));
        case MsgP2PQuery: {
            P2PQuery query;
            if (!decodeBody(request.body, query) || query.serial != kSerial)
                fail("a P2P query without the serial given");
            return sendFrame(MsgP2PReply, 0, seq,
                             encodeBody(P2PReply{0, m_recorderHost, m_recorderPort}));
        }
        default:
            return; // a logout is not waited for
        }
    }

    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    std::string m_recorderHost;
    std::uint16_t m_recorderPort = 0;
    int m_fd = -1;
    int m_recorderConnections = 0;
    std::vector<std::uint8_t> m_in;
};

// ---- the SDK side ----------------------------------------------------------

struct Watch
{
    std::atomic<int> playHandle{0};
    std::atomic<bool> playStopped{false};
    std::atomic<bool> stopFromCallback{false};
    std::atomic<int> dataCalls{0};
    std::atomic<int> disconnects{0};
    std::atomic<bool> loggedOut{false};
    std::atomic<unsigned> sum{0};
};
Watch *g_watch = nullptr;

int TV_SDK_CALL onData(int handle, int type, unsigned char *data, int length, void *user)
{
    auto *w = static_cast<Watch *>(user);
    if (w != g_watch || handle != w->playHandle || w->playStopped)
        fail("data callback for a stopped or foreign real play", handle);
    if (length < 0 || (length > 0 && !data))
        fail("data callback with a bad block", length);
    unsigned sum = unsigned(type);
    for (int i = 0; i < length; ++i) // every byte must be readable
        sum += data[i];
    w->sum += sum;
    if (++w->dataCalls == 2 && w->stopFromCallback) {
        w->playStopped = true;
        sdk().stopRealPlay(handle, nullptr);
    }
    return 1;
}

void TV_SDK_CALL onDisconnect(int, char *, int, void *user)
{
    auto *w = static_cast<Watch *>(user);
    if (w != g_watch || w->loggedOut || ++w->disconnects > 1)
        fail("disconnect callback after the logout or twice", w ? int(w->disconnects) : -1);
}

// How the SDK logs in this time: the call choices, then the login mode
// (see the top of this file).
struct LoginPlan
{
    std::uint8_t choice = 0xff;
    bool byName = false;
    bool cloud = false;
    int tries = 1;
    int waitMs = kConnectWaitMs;
    std::string address = "127.0.0.1";
    std::string p2pServer;
    std::string recorderHost = "127.0.0.1";
    FakeResolver::Behaviour names = FakeResolver::Answer;
    bool holdPastCleanup = false;

    // The P2P look-up's tries, then the recorder's, each as long as a wait.
    int boundMs() const { return tries * waitMs * (cloud ? 2 : 1); }
};

std::uint8_t takeByte(const std::uint8_t *&data, std::size_t &size, std::uint8_t empty)
{
    if (!size)
        return empty;
    --size;
    return *data++;
}

LoginPlan planLogin(const std::uint8_t *&data, std::size_t &size, const Sdk &s)
{
    LoginPlan p;
    p.choice = takeByte(data, size, 0xff);
    if (!(p.choice & 0x80))
        return p;
    const std::uint8_t mode = takeByte(data, size, 0);
    p.byName = true;
    p.cloud = mode & 1;
    p.names = FakeResolver::Behaviour((mode >> 3) & 3);
    p.tries = (mode & 0x20) ? 2 : 1;
    p.waitMs = kNameWaitMs;
    p.address = p.cloud ? kSerial : "recorder.fuzz";
    p.p2pServer = ((mode & 2) ? "p2p.fuzz:" : "127.0.0.1:") + std::to_string(s.p2pPort);
    if (mode & 4)
        p.recorderHost = "recorder.fuzz";
    p.holdPastCleanup = (mode >> 6) == 2;
    return p;
}

// Runs one SDK call and checks it returned within its time-out.
template <typename Call> int timed(const char *what, int timeoutMs, Call call)
{
    const auto start = Clock::now();
    const int r = call();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    if (ms > timeoutMs + kMarginMs) {
        std::fprintf(stderr, "fuzz_netsdksession: %s took %lld ms\n", what, (long long)ms);
        std::abort();
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Sdk &s = sdk();
    const LoginPlan plan = planLogin(data, size, s);
    const std::uint8_t choice = plan.choice;
    Watch watch;
    watch.stopFromCallback = (choice & 0x40) != 0;
    g_watch = &watch;
    FakeResolver::set(plan.names, plan.waitMs * 3 / 2); // slow ones outlast a try
    s.init(onDisconnect, &watch);
    s.setConnectTime(plan.waitMs, plan.tries);
    if (plan.cloud)
        s.setP2PServer(0, plan.p2pServer.c_str(), 0);
    Recorder recorder(data, size, plan.recorderHost);
    std::thread recorderThread([&] { recorder.run(s); });

    unsigned char device[tvsdk::DeviceInfo::kSize] = {};
    int error = 0;
    const int login = timed("login", plan.boundMs(), [&] {
        return s.login(plan.address.c_str(), plan.cloud ? 0 : s.port, "admin", "secret", device,
                       &error, plan.cloud ? tvsdk::kLoginKindCloud : tvsdk::kLoginKindAddress);
    });
    if (!plan.holdPastCleanup)
        FakeResolver::release();
    if (login > 0) {
        unsigned char record[tvsdk::SystemFunction::kSize];
        int returned = 0;
        if (choice & 1)
            timed("system function", kShortTimeoutMs, [&] {
                return s.getConfig(login, tvsdk::kCmdSystemFunction, -1, record, sizeof record,
                                   &returned, kShortTimeoutMs);
            });
        if (choice & 2)
            timed("resolution", kShortTimeoutMs, [&] {
                return s.getConfig(login, tvsdk::kCmdDisplayResolution, -1, record,
                                   tvsdk::DisplayResolution::kSize, &returned, kShortTimeoutMs);
            });
        int play = 0;
        if (choice & 4) {
            unsigned char client[tvsdk::ClientInfo::kSize] = {1};
            play = timed("real play", 3000, [&] { return s.realPlay(login, client, 0); });
            if (play > 0) {
                watch.playHandle = play;
                s.setDataCallback(play, onData, &watch);
            }
        }
        if (choice & 8) {
            static const char json[] = "{\n   \"P1\" : \"0x1\",\n   \"P2\" : \"0x03c0021c\",\n   "
                                       "\"msg\" : \"0x20008\"\n}\n";
            timed("command", kShortTimeoutMs, [&] {
                return s.sendJson(login, tvsdk::kRemoteCtrlCommand, tvsdk::kRemoteCtrlMsgId, -1,
                                  json, int(sizeof json - 1), kShortTimeoutMs);
            });
        }
        if (play > 0 && (choice & 0x10) && !watch.playStopped) {
            timed("stop", 1000, [&] { return s.stopRealPlay(play, nullptr); });
            watch.playStopped = true;
        }
        if (!(choice & 0x20)) {
            timed("logout", 1000, [&] { return s.logout(login); });
            watch.loggedOut = true;
        }
    } else if (error == 0) {
        fail("a refused login without its reason");
    }
    timed("clean-up", 1000, [&] { return s.cleanup(); });
    watch.loggedOut = true;
    watch.playStopped = true;
    FakeResolver::release(); // a held look-up the clean-up let go of ends now
    const char byte = 0;
    if (::write(s.stopPipe[1], &byte, 1) != 1)
        fail("cannot stop the recorder");
    recorderThread.join();
    if (!plan.byName && recorder.recorderConnections() == 0)
        fail("the SDK never connected");
    g_watch = nullptr;
    return 0;
}
