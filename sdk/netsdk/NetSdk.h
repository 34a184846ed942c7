#pragma once
// The state of the device SDK within one process: settings, the open logins
// and real plays, the last error. Every exported function of libNetSDK is a
// thin wrapper around one method here.
//
// Threads: the methods may be called from any thread (the program calls
// them from its GUI thread); m_mutex guards the maps and settings and is
// never held across network waits or callbacks. Sessions run threads of
// their own (DeviceSession).

#include "DeviceSessionHost.h"
#include "SdkDefs.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace netsdk {

class DeviceSession;
class RealPlayStream;
struct LoginOutcome;

class NetSdk : public DeviceSessionHost
{
public:
    static NetSdk &instance();

    int init(tvsdk::DisconnectCallback callback, void *user);
    int cleanup();
    int sdkSwitch(int on);
    int setAppInfo(const void *record);
    int setP2PServer(const char *server);
    int setConnectTime(int waitMs, int tries);
    int lastError() const { return m_lastError; }

    int login(const char *address, unsigned short port, const char *user, const char *password,
              void *deviceInfo, int *error, int kind);
    int logout(int loginHandle);
    int setKeepLife(int loginHandle, int keepAliveSec, int deadSec);
    int getConfig(int loginHandle, int command, int channel, void *buffer, int size, int *returned,
                  int timeoutMs);
    int sendJson(int loginHandle, const char *name, int msgId, int channel, const char *json,
                 int length, int timeoutMs);

    int realPlay(int loginHandle, const void *clientInfo);
    int setRealDataCallback(int playHandle, tvsdk::RealDataCallback callback, void *user);
    int delRealDataCallback(int playHandle);
    int stopRealPlay(int playHandle);

    void adoptThread(std::thread &&thread) override;
    void trace(const std::string &line) const override;

private:
    struct Play
    {
        std::shared_ptr<DeviceSession> session;
        std::shared_ptr<RealPlayStream> stream;
    };
    std::shared_ptr<DeviceSession> session(int loginHandle);
    // The real play of this handle, forgotten as well when `take`; false,
    // with the last error set, when there is none.
    bool findPlay(int playHandle, Play &play, bool take = false);
    // Registers a session a login opened, unless clean-up ran meanwhile.
    int adopt(std::uint64_t epoch, LoginOutcome &outcome, tvsdk::DisconnectCallback cb, void *user,
              std::shared_ptr<DeviceSession> &s);
    int fail(int code);
    int succeed(int result = 1);

    mutable std::mutex m_mutex;
    bool m_initialised = false;
    // Counts clean-ups, so that a call that began before one cannot leave
    // a login or a real play behind it.
    std::uint64_t m_epoch = 0;
    tvsdk::DisconnectCallback m_onDisconnect = nullptr;
    void *m_user = nullptr;
    std::string m_p2pServer;
    int m_waitMs;
    int m_tries;
    int m_nextLogin = 1;
    int m_nextPlay = 1;
    std::map<int, std::shared_ptr<DeviceSession>> m_sessions;
    std::map<int, Play> m_plays;
    std::vector<std::thread> m_finished;
    std::atomic<int> m_lastError{0};
    std::atomic<bool> m_trace{false};

    NetSdk();
};

} // namespace netsdk
