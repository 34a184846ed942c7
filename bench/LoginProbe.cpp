#include "LoginProbe.h"

#include "BenchSession.h"
#include "SdkApi.h"

#include <QMap>
#include <QStringList>

#include <array>
#include <chrono>

namespace {
// What the login dialog sets for an interactive login.
constexpr int kAddressConnectMs = 2000;
constexpr int kCloudConnectMs = 8000;
constexpr int kConnectTries = 2;
} // namespace

bool LoginProbe::prepare(QString &error)
{
    if (!BenchSession::bindOnce(error))
        return false;
    sdkApi().init(nullptr, nullptr);
    return true;
}

LoginProbe::Result LoginProbe::run(const Target &target, int logins)
{
    Result result;
    for (int i = 0; i < logins; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        int code = 0;
        const int handle = loginOnce(target, code);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count();
        if (handle > 0) {
            ++result.successes;
            result.successMs.push_back(ms);
            sdkApi().logout(handle);
        } else {
            result.errors.push_back(code);
        }
    }
    return result;
}

int LoginProbe::loginOnce(const Target &target, int &code)
{
    SdkApi &api = sdkApi();
    std::array<unsigned char, tvsdk::DeviceInfo::kSize> info{};
    if (!target.cloud) {
        api.setConnectTime(kAddressConnectMs, kConnectTries);
        return api.login("127.0.0.1", target.port, "admin", "", info.data(), &code,
                         tvsdk::kLoginKindAddress);
    }
    const QByteArray server = "127.0.0.1:" + QByteArray::number(target.port);
    api.setP2PServer(0, server.constData(), 0);
    api.setConnectTime(kCloudConnectMs, kConnectTries);
    return api.login(target.serial.toLatin1().constData(), 0, "admin", "", info.data(), &code,
                     tvsdk::kLoginKindCloud);
}

QString LoginProbe::errorText(const std::vector<int> &errors)
{
    QMap<int, int> counts;
    for (const int e : errors)
        ++counts[e];
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts << QString("%1 x%2").arg(it.key()).arg(it.value());
    return parts.isEmpty() ? "none" : parts.join(", ");
}
