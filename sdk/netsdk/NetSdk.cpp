#include "NetSdk.h"

#include "DeviceSession.h"
#include "LoginProcedure.h"
#include "NameResolver.h"
#include "NetSdkCodes.h"
#include "RealPlayStream.h"
#include "WireFormat.h"

#include <cstdio>
#include <cstring>

namespace netsdk {

namespace {

bool isIdentityKey(const unsigned char *field)
{
    for (std::size_t i = 0; i < tvsdk::AppIdentity::kKeyLength; ++i) {
        const unsigned char c = field[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return field[tvsdk::AppIdentity::kKeyLength] == 0;
}

void fillDeviceInfo(unsigned char *record, const tvwire::LoginReply &reply)
{
    using namespace tvsdk::DeviceInfo;
    const std::int32_t loginCode = tvsdk::readInt32(record, kLoginCode);
    std::memset(record, 0, kSize);
    tvsdk::writeInt32(record, kChannelBaseA, reply.channelA);
    tvsdk::writeInt32(record, kChannelBaseB, reply.channelB);
    const std::size_t n = std::min<std::size_t>(reply.serial.size(), 63);
    std::memcpy(record + kErrorText, reply.serial.data(), n);
    tvsdk::writeInt32(record, kLoginCode, loginCode);
}

} // namespace

NetSdk &NetSdk::instance()
{
    static NetSdk sdk;
    return sdk;
}

NetSdk::NetSdk() : m_waitMs(kDefaultConnectWaitMs), m_tries(kDefaultConnectTries) {}

int NetSdk::fail(int code)
{
    m_lastError = code;
    return code;
}

int NetSdk::succeed(int result)
{
    return result;
}

void NetSdk::trace(const std::string &line) const
{
    if (m_trace)
        std::fprintf(stderr, "[netsdk] %s\n", line.c_str());
}

int NetSdk::init(tvsdk::DisconnectCallback callback, void *user)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_initialised = true;
    m_onDisconnect = callback;
    m_user = user;
    return 1;
}

int NetSdk::sdkSwitch(int on)
{
    m_trace = on != 0;
    return 1;
}

int NetSdk::setAppInfo(const void *record)
{
    if (!record)
        return fail(ErrInvalidParameter);
    const auto *r = static_cast<const unsigned char *>(record);
    using namespace tvsdk::AppIdentity;
    const bool ok = isIdentityKey(r + kFirst) && isIdentityKey(r + kSecond) &&
                    isIdentityKey(r + kThird) && tvsdk::readInt32(r, kFlag) == 1;
    return ok ? 0 : fail(ErrInvalidParameter);
}

int NetSdk::setP2PServer(const char *server)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // The caller promises a 64-byte buffer, no more, terminated or not.
    m_p2pServer =
        server ? std::string(server, strnlen(server, tvsdk::kP2PServerBufferSize)) : std::string();
    return 1;
}

int NetSdk::setConnectTime(int waitMs, int tries)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_waitMs = waitMs > 0 ? std::min(waitMs, 120000) : kDefaultConnectWaitMs;
    m_tries = std::max(1, std::min(tries, 10));
    return 1;
}

std::shared_ptr<DeviceSession> NetSdk::session(int loginHandle)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_sessions.find(loginHandle);
    return it == m_sessions.end() ? nullptr : it->second;
}

namespace {

// The protocol carries names of at most kMaxNameLength bytes; a longer one
// is the caller's mistake, not something to wait out.
bool fitsName(const char *text)
{
    return text && *text && strnlen(text, tvwire::kMaxNameLength + 1) <= tvwire::kMaxNameLength;
}

} // namespace

int NetSdk::login(const char *address, unsigned short port, const char *user, const char *password,
                  void *deviceInfo, int *error, int kind)
{
    LoginParams p;
    tvsdk::DisconnectCallback onDisconnect;
    void *cbUser;
    std::uint64_t epoch;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_initialised) {
            if (error)
                *error = ErrNotInitialised;
            fail(ErrNotInitialised);
            return 0;
        }
        p.waitMs = m_waitMs;
        p.tries = m_tries;
        p.p2pServer = m_p2pServer;
        onDisconnect = m_onDisconnect;
        cbUser = m_user;
        epoch = m_epoch;
    }
    int result = ErrInvalidParameter;
    LoginOutcome outcome;
    if (fitsName(address) && fitsName(user) &&
        (kind == tvsdk::kLoginKindAddress || kind == tvsdk::kLoginKindCloud)) {
        p.address = address;
        p.port = port;
        p.user = user;
        p.password = password ? password : "";
        p.kind = kind;
        auto *record = static_cast<unsigned char *>(deviceInfo);
        p.loginCode = record ? tvsdk::readInt32(record, tvsdk::DeviceInfo::kLoginCode) : 0;
        p.hasLoginCode = p.loginCode != 0;
        result = LoginProcedure::run(p, outcome);
    }
    std::shared_ptr<DeviceSession> s;
    if (result == 0)
        result = adopt(epoch, outcome, onDisconnect, cbUser, s);
    if (error)
        *error = result;
    if (result != 0) {
        trace("login to " + p.address + " failed: " + std::to_string(result));
        fail(result);
        return 0;
    }
    if (deviceInfo)
        fillDeviceInfo(static_cast<unsigned char *>(deviceInfo), outcome.reply);
    m_lastError = outcome.reply.notice;
    trace("login " + std::to_string(s->handle()) + " to " + p.address + " open");
    return s->handle();
}

int NetSdk::adopt(std::uint64_t epoch, LoginOutcome &outcome, tvsdk::DisconnectCallback cb,
                  void *user, std::shared_ptr<DeviceSession> &s)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_initialised || epoch != m_epoch) {
        outcome.socket.close();
        return ErrNotInitialised;
    }
    s = std::make_shared<DeviceSession>(*this, m_nextLogin, outcome.sessionId,
                                        std::move(outcome.socket), std::move(outcome.buffer), cb,
                                        user);
    // Started under the lock, so that a clean-up or a logout that finds the
    // session also finds its thread to end.
    if (!s->canWait() || !s->start()) {
        s.reset(); // closes the connection; the recorder sees the login end
        return ErrNoResources;
    }
    m_sessions[m_nextLogin++] = s;
    return 0;
}

int NetSdk::logout(int loginHandle)
{
    std::shared_ptr<DeviceSession> s;
    std::vector<std::shared_ptr<RealPlayStream>> streams;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_sessions.find(loginHandle);
        if (it == m_sessions.end())
            return fail(ErrInvalidHandle), 0;
        s = it->second;
        m_sessions.erase(it);
        for (auto p = m_plays.begin(); p != m_plays.end();) {
            if (p->second.session == s) {
                streams.push_back(p->second.stream);
                p = m_plays.erase(p);
            } else {
                ++p;
            }
        }
    }
    for (auto &stream : streams)
        stream->close();
    s->stop(true);
    trace("login " + std::to_string(loginHandle) + " closed");
    return 1;
}

int NetSdk::setKeepLife(int loginHandle, int keepAliveSec, int deadSec)
{
    auto s = session(loginHandle);
    if (!s)
        return fail(ErrInvalidHandle), 0;
    s->setTiming(std::max(0, keepAliveSec), std::max(0, deadSec));
    return 1;
}

int NetSdk::cleanup()
{
    std::map<int, std::shared_ptr<DeviceSession>> sessions;
    std::map<int, Play> plays;
    std::vector<std::thread> finished;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        sessions.swap(m_sessions);
        plays.swap(m_plays);
        ++m_epoch;
        m_initialised = false;
        m_onDisconnect = nullptr;
        m_user = nullptr;
    }
    for (auto &p : plays)
        p.second.stream->close();
    for (auto &s : sessions)
        s.second->stop(true);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        finished.swap(m_finished);
    }
    for (auto &t : finished) {
        if (t.get_id() == std::this_thread::get_id())
            t.detach();
        else
            t.join();
    }
    NameResolver::instance().drain(Clock::now() + std::chrono::milliseconds(kCleanupLookupWaitMs));
    return 1;
}

void NetSdk::adoptThread(std::thread &&thread)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished.push_back(std::move(thread));
}

} // namespace netsdk
