#include "FakeSdk.h"

#include "SdkApi.h"

#include <QMutexLocker>
#include <thread>

using namespace tvsdk;

namespace {
FakeSdk *g_instance = nullptr;

constexpr int kDefaultLoginHandle = 7;
constexpr int kDefaultRealPlayHandle = 5;
constexpr int kDefaultWidth = 1920;
constexpr int kDefaultHeight = 1080;

FakeSdk &fake()
{
    return *g_instance;
}

QByteArray text(const char *s)
{
    return s ? QByteArray(s) : QByteArray();
}

QByteArray bytes(const void *p, int size)
{
    return p && size > 0 ? QByteArray(static_cast<const char *>(p), size) : QByteArray();
}

quintptr address(const void *p)
{
    return reinterpret_cast<quintptr>(p);
}

int net(int ordinal, const QVariantList &args, int fallback = 0)
{
    fake().record(FakeSdkCall::Net, ordinal, args);
    return fake().resultFor(FakeSdkCall::Net, ordinal, fallback);
}

int play(int ordinal, const QVariantList &args, int fallback = 0)
{
    fake().record(FakeSdkCall::Play, ordinal, args);
    return fake().resultFor(FakeSdkCall::Play, ordinal, fallback);
}

int TV_SDK_CALL setP2PServer(int a, const char *server, int b)
{
    return net(NetOrdSetP2PServer, {a, text(server), b});
}

int TV_SDK_CALL init(DisconnectCallback callback, void *user)
{
    fake().storeDisconnect(callback, user);
    return net(NetOrdInit, {address(reinterpret_cast<void *>(callback)), address(user)}, 1);
}

int TV_SDK_CALL sdkSwitch(int on)
{
    return net(NetOrdSdkSwitch, {on});
}

int TV_SDK_CALL setAppInfo(const void *record)
{
    return net(NetOrdSetAppInfo, {bytes(record, int(AppIdentity::kSize))});
}

int TV_SDK_CALL setConnectTime(int ms, int tries)
{
    return net(NetOrdSetConnectTime, {ms, tries});
}

int TV_SDK_CALL login(const char *address, unsigned short port, const char *user,
                      const char *password, void *devInfo, int *error, int kind)
{
    // The record is recorded as the program handed it in, before filling.
    const QVariantList args{text(address),
                            int(port),
                            text(user),
                            text(password),
                            bytes(devInfo, int(DeviceInfo::kSize)),
                            kind};
    const int handle = net(NetOrdLogin, args, kDefaultLoginHandle);
    fake().fillDeviceInfo(devInfo);
    if (error)
        *error = fake().loginError();
    return handle;
}

int TV_SDK_CALL getLastError()
{
    return net(NetOrdGetLastError, {}, fake().lastError());
}

int TV_SDK_CALL setKeepLife(int handle, int period, int dead)
{
    return net(NetOrdSetKeepLife, {handle, period, dead});
}

int TV_SDK_CALL getDevConfig(int handle, int command, int channel, void *buffer, int size,
                             int *returned, int timeout)
{
    net(NetOrdGetDevConfig, {handle, command, channel, bytes(buffer, size), size, timeout});
    const int result = fake().fillConfig(command, buffer, size);
    if (returned)
        *returned = result >= 0 ? size : 0;
    return result;
}

int TV_SDK_CALL realPlay(int handle, void *clientInfo, unsigned char flag)
{
    return net(NetOrdRealPlay, {handle, bytes(clientInfo, int(ClientInfo::kSize)), int(flag)},
               kDefaultRealPlayHandle);
}

int TV_SDK_CALL setRealDataCallback(int handle, RealDataCallback callback, void *user)
{
    fake().storeDataCallback(handle, callback, user);
    return net(NetOrdSetRealDataCallback,
               {handle, address(reinterpret_cast<void *>(callback)), address(user)}, 1);
}

int TV_SDK_CALL delRealDataCallback(int handle, RealDataCallback callback, void *user)
{
    fake().storeDataCallback(0, nullptr, nullptr);
    return net(NetOrdDelRealDataCallback,
               {handle, address(reinterpret_cast<void *>(callback)), address(user)}, 1);
}

int TV_SDK_CALL stopRealPlay(int handle, void *reserved)
{
    return net(NetOrdStopRealPlay, {handle, address(reserved)}, 1);
}

int TV_SDK_CALL sendJson(int handle, const char *name, int msgId, int channel, const char *json,
                         int length, int timeout)
{
    return net(NetOrdSendJson,
               {handle, text(name), msgId, channel, bytes(json, length), length, timeout}, 1);
}

int TV_SDK_CALL logout(int handle)
{
    return net(NetOrdLogout, {handle}, 1);
}

int TV_SDK_CALL cleanup()
{
    return net(NetOrdCleanup, {}, 1);
}

int TV_SDK_CALL playOpenStream(int port, unsigned char *header, int length, int bufferSize)
{
    return play(PlayOrdOpenStream, {port, bytes(header, length), length, bufferSize}, 1);
}

int TV_SDK_CALL playPlay(int port, void *window)
{
    return play(PlayOrdPlay, {port, address(window)}, 1);
}

int TV_SDK_CALL playInputData(int port, unsigned char *data, int length)
{
    return play(PlayOrdInputData, {port, bytes(data, length), length}, 1);
}

int TV_SDK_CALL playStop(int port)
{
    return play(PlayOrdStop, {port}, 1);
}

int TV_SDK_CALL playCloseStream(int port)
{
    return play(PlayOrdCloseStream, {port}, 1);
}

int TV_SDK_CALL playFreePort(int port)
{
    return play(PlayOrdFreePort, {port}, 1);
}

SdkApi fakeApi()
{
    SdkApi api;
    api.setP2PServer = setP2PServer;
    api.init = init;
    api.sdkSwitch = sdkSwitch;
    api.setAppInfo = setAppInfo;
    api.setConnectTime = setConnectTime;
    api.login = login;
    api.getLastError = getLastError;
    api.setKeepLife = setKeepLife;
    api.getDevConfig = getDevConfig;
    api.realPlay = realPlay;
    api.setRealDataCallback = setRealDataCallback;
    api.delRealDataCallback = delRealDataCallback;
    api.stopRealPlay = stopRealPlay;
    api.sendJson = sendJson;
    api.logout = logout;
    api.cleanup = cleanup;
    api.playOpenStream = playOpenStream;
    api.playPlay = playPlay;
    api.playInputData = playInputData;
    api.playStop = playStop;
    api.playCloseStream = playCloseStream;
    api.playFreePort = playFreePort;
    return api;
}

QByteArray defaultSystemFunction()
{
    QByteArray record(int(SystemFunction::kSize), '\0');
    record[int(SystemFunction::kRemoteCtrlFlag)] = 1;
    return record;
}

QByteArray defaultResolution()
{
    QByteArray record(int(DisplayResolution::kSize), '\0');
    writeInt32(reinterpret_cast<unsigned char *>(record.data()), DisplayResolution::kHeight,
               kDefaultHeight);
    writeInt32(reinterpret_cast<unsigned char *>(record.data()), DisplayResolution::kWidth,
               kDefaultWidth);
    return record;
}
} // namespace

QString FakeSdkCall::name() const
{
    return QStringLiteral("%1%2").arg(library == Net ? 'N' : 'P').arg(ordinal);
}

FakeSdk::FakeSdk() : m_deviceInfo(int(DeviceInfo::kSize), '\0')
{
    g_instance = this;
    m_configRecords[kCmdSystemFunction] = defaultSystemFunction();
    m_configRecords[kCmdDisplayResolution] = defaultResolution();
    sdkApi() = fakeApi();
}

FakeSdk::~FakeSdk()
{
    sdkApi() = SdkApi();
    g_instance = nullptr;
}

FakeSdk &FakeSdk::instance()
{
    return fake();
}

void FakeSdk::setResult(FakeSdkCall::Library library, int ordinal, int result)
{
    QMutexLocker lock(&m_mutex);
    m_results[{library, ordinal}] = result;
}

void FakeSdk::queueResult(FakeSdkCall::Library library, int ordinal, int result)
{
    QMutexLocker lock(&m_mutex);
    m_queued[{library, ordinal}].append(result);
}

void FakeSdk::setDeviceInfo(const QByteArray &record)
{
    QMutexLocker lock(&m_mutex);
    m_deviceInfo = record.left(int(DeviceInfo::kSize));
    m_deviceInfo.append(QByteArray(int(DeviceInfo::kSize) - m_deviceInfo.size(), '\0'));
}

void FakeSdk::setLoginError(int error)
{
    QMutexLocker lock(&m_mutex);
    m_loginError = error;
}

void FakeSdk::setConfigRecord(int command, const QByteArray &record)
{
    QMutexLocker lock(&m_mutex);
    m_configRecords[command] = record;
}

void FakeSdk::setConfigResult(int command, int result)
{
    QMutexLocker lock(&m_mutex);
    m_configResults[command] = result;
}

void FakeSdk::setLastError(int error)
{
    QMutexLocker lock(&m_mutex);
    m_lastError = error;
}

QList<FakeSdkCall> FakeSdk::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QList<FakeSdkCall> FakeSdk::callsOf(FakeSdkCall::Library library, int ordinal) const
{
    QList<FakeSdkCall> found;
    for (const FakeSdkCall &call : calls())
        if (call.library == library && call.ordinal == ordinal)
            found.append(call);
    return found;
}

QStringList FakeSdk::sequence() const
{
    QStringList names;
    for (const FakeSdkCall &call : calls())
        names.append(call.name());
    return names;
}

void FakeSdk::clearCalls()
{
    QMutexLocker lock(&m_mutex);
    m_calls.clear();
}

bool FakeSdk::fireDisconnect(int nLoginHandle)
{
    DisconnectCallback callback;
    void *user;
    {
        QMutexLocker lock(&m_mutex);
        callback = m_disconnect;
        user = m_disconnectUser;
    }
    if (!callback)
        return false;
    std::thread([=] { callback(nLoginHandle, nullptr, 0, user); }).join();
    return true;
}

bool FakeSdk::feedData(const QByteArray &data, int nType)
{
    RealDataCallback callback;
    void *user;
    int handle;
    {
        QMutexLocker lock(&m_mutex);
        callback = m_data;
        user = m_dataUser;
        handle = m_dataHandle;
    }
    if (!callback)
        return false;
    QByteArray copy = data;
    std::thread([&] {
        callback(handle, nType, reinterpret_cast<unsigned char *>(copy.data()), copy.size(), user);
    }).join();
    return true;
}

void FakeSdk::record(FakeSdkCall::Library library, int ordinal, const QVariantList &args)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append({library, ordinal, args});
}

int FakeSdk::resultFor(FakeSdkCall::Library library, int ordinal, int fallback)
{
    QMutexLocker lock(&m_mutex);
    QList<int> &queued = m_queued[{library, ordinal}];
    if (!queued.isEmpty())
        return queued.takeFirst();
    return m_results.value({library, ordinal}, fallback);
}

void FakeSdk::fillDeviceInfo(void *record)
{
    QMutexLocker lock(&m_mutex);
    if (record)
        std::memcpy(record, m_deviceInfo.constData(), DeviceInfo::kSize);
}

int FakeSdk::loginError() const
{
    QMutexLocker lock(&m_mutex);
    return m_loginError;
}

int FakeSdk::fillConfig(int command, void *buffer, int size)
{
    QMutexLocker lock(&m_mutex);
    const int result = m_configResults.value(command, 0);
    const QByteArray record = m_configRecords.value(command);
    if (result >= 0 && buffer)
        std::memcpy(buffer, record.constData(), size_t(qMin(size, record.size())));
    return result;
}

int FakeSdk::lastError() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastError;
}

void FakeSdk::storeDisconnect(DisconnectCallback callback, void *user)
{
    QMutexLocker lock(&m_mutex);
    m_disconnect = callback;
    m_disconnectUser = user;
}

void FakeSdk::storeDataCallback(int handle, RealDataCallback callback, void *user)
{
    QMutexLocker lock(&m_mutex);
    m_dataHandle = handle;
    m_data = callback;
    m_dataUser = user;
}
