#include "NetSdkLoader.h"

#include "SdkLibrary.h"

#include <QCoreApplication>

namespace {

template <typename Fn> bool get(const SdkLibrary &lib, int ordinal, Fn &out, QString &error)
{
    out = reinterpret_cast<Fn>(lib.resolve(ordinal));
    if (!out)
        error = QString("ordinal %1 is missing").arg(ordinal);
    return out != nullptr;
}

} // namespace

bool NetSdkLoader::load(SdkApi &api, QString &error)
{
    static SdkLibrary lib;
    QString dir = qEnvironmentVariable("TV_APP_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    std::string why;
    if (!lib.isOpen() &&
        !lib.open(
            (dir + "/" + QString::fromStdString(SdkLibrary::fileName("NetSDK"))).toStdString(),
            why)) {
        error = QString::fromStdString(why);
        return false;
    }
    using namespace tvsdk;
    return get(lib, NetOrdSetP2PServer, api.setP2PServer, error) &&
           get(lib, NetOrdInit, api.init, error) &&
           get(lib, NetOrdSdkSwitch, api.sdkSwitch, error) &&
           get(lib, NetOrdSetAppInfo, api.setAppInfo, error) &&
           get(lib, NetOrdSetConnectTime, api.setConnectTime, error) &&
           get(lib, NetOrdLogin, api.login, error) &&
           get(lib, NetOrdGetLastError, api.getLastError, error) &&
           get(lib, NetOrdSetKeepLife, api.setKeepLife, error) &&
           get(lib, NetOrdGetDevConfig, api.getDevConfig, error) &&
           get(lib, NetOrdRealPlay, api.realPlay, error) &&
           get(lib, NetOrdSetRealDataCallback, api.setRealDataCallback, error) &&
           get(lib, NetOrdDelRealDataCallback, api.delRealDataCallback, error) &&
           get(lib, NetOrdStopRealPlay, api.stopRealPlay, error) &&
           get(lib, NetOrdSendJson, api.sendJson, error) &&
           get(lib, NetOrdLogout, api.logout, error) &&
           get(lib, NetOrdCleanup, api.cleanup, error) && lib.resolve(9999) == nullptr;
}
