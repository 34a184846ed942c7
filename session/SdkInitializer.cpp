#include "SdkInitializer.h"

#include "AppConfig.h"
#include "ConfigKeys.h"
#include "HostResolver.h"
#include "SdkApi.h"

#include <QDebug>
#include <array>

namespace {
// This application's registration with the device SDK, kept apart from any
// single literal so that it is not a string to grep for in the binary.
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr unsigned char kIdentityNibbles[3][tvsdk::AppIdentity::kKeyLength] = {
    {7,  14, 3, 1, 10, 9, 0,  12, 5,  5, 2, 15, 8,  6,  11, 4,
     13, 0,  3, 9, 7,  1, 14, 2,  10, 6, 4, 8,  12, 15, 5,  3},
    {2, 11, 9, 6, 0,  4,  15, 13, 1,  8, 3, 7, 10, 12, 5,  14,
     6, 9,  2, 0, 11, 15, 4,  1,  13, 7, 8, 3, 5,  10, 12, 6},
    {12, 4, 0,  15, 6, 13, 8, 2,  9, 1, 14, 5,  3, 11, 7,  10,
     1,  5, 12, 8,  0, 3,  9, 14, 6, 2, 15, 11, 4, 13, 10, 7},
};
constexpr std::size_t kIdentityOffsets[3] = {
    tvsdk::AppIdentity::kFirst, tvsdk::AppIdentity::kSecond, tvsdk::AppIdentity::kThird};

QString p2pSetting()
{
    return AppConfig::readText(ConfigKeys::kP2PServer, ConfigKeys::kDefaultP2PServer);
}
} // namespace

QByteArray SdkInitializer::p2pServerAddress(const QString &setting)
{
    std::array<char, tvsdk::kP2PServerBufferSize> buffer{};
    const QByteArray local = setting.toLocal8Bit();
    // One byte stays for the terminating zero; a longer value would reach
    // the SDK unterminated.
    const std::size_t room = buffer.size() - 1;
    const std::size_t length = qMin(std::size_t(local.size()), room);
    if (std::size_t(local.size()) > room)
        qDebug().noquote().nospace() << "P2P server address cut to " << room << " bytes";
    std::memcpy(buffer.data(), local.constData(), length);

    if (!HostResolver::isDottedAddress(buffer.data())) {
        std::array<char, tvsdk::kP2PServerBufferSize> dotted{};
        if (HostResolver::resolveFirst(buffer.data(), dotted.data(), dotted.size()))
            buffer = dotted;
        qDebug().noquote().nospace() << "Domain P2P Address Convert " << buffer.data();
    }
    // The SDK is promised the whole buffer, not just the text in it.
    return QByteArray(buffer.data(), int(buffer.size()));
}

QByteArray SdkInitializer::appIdentity()
{
    QByteArray record(int(tvsdk::AppIdentity::kSize), '\0');
    for (int field = 0; field < 3; ++field)
        for (std::size_t i = 0; i < tvsdk::AppIdentity::kKeyLength; ++i)
            record[int(kIdentityOffsets[field] + i)] = kHexDigits[kIdentityNibbles[field][i]];
    tvsdk::writeInt32(reinterpret_cast<unsigned char *>(record.data()), tvsdk::AppIdentity::kFlag,
                      1);
    return record;
}

void SdkInitializer::run(tvsdk::DisconnectCallback callback, void *pUser)
{
    SdkApi &api = sdkApi();
    const QString setting = p2pSetting();
    if (!setting.isEmpty()) {
        qDebug().noquote().nospace() << "Init P2P Address " << setting;
        QByteArray address = p2pServerAddress(setting);
        api.setP2PServer(0, address.constData(), 0);
    }
    const int nInit = api.init(callback, pUser);
    qDebug().noquote().nospace() << "H264_DVR_Init " << (nInit != 0 ? "true" : "false");
    api.sdkSwitch(1);
    QByteArray identity = appIdentity();
    const int nAppInfo = api.setAppInfo(identity.constData());
    qDebug().noquote().nospace() << " H264_DVR_InitAppInfo Err=" << nAppInfo;
}
