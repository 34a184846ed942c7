#include "SdkBinding.h"
#include "SdkLibrary.h"

namespace {

// The libraries stay loaded for the life of the process: SDK threads may run
// until the clean-up call in the main window's destructor.
SdkLibrary &netLibrary()
{
    static SdkLibrary lib;
    return lib;
}

SdkLibrary &playLibrary()
{
    static SdkLibrary lib;
    return lib;
}

struct Resolver
{
    const SdkLibrary &lib;
    const std::string &name;
    std::string &error;

    template <typename Fn> bool get(int nOrdinal, Fn &out)
    {
        void *proc = lib.resolve(nOrdinal);
        if (!proc) {
            error = name + ": ordinal " + std::to_string(nOrdinal) + " is missing";
            return false;
        }
        out = reinterpret_cast<Fn>(proc);
        return true;
    }
};

bool bindNet(const SdkLibrary &lib, const std::string &name, SdkApi &a, std::string &error)
{
    using namespace tvsdk;
    Resolver r{lib, name, error};
    return r.get(NetOrdSetP2PServer, a.setP2PServer) && r.get(NetOrdInit, a.init) &&
           r.get(NetOrdSdkSwitch, a.sdkSwitch) && r.get(NetOrdSetAppInfo, a.setAppInfo) &&
           r.get(NetOrdSetConnectTime, a.setConnectTime) && r.get(NetOrdLogin, a.login) &&
           r.get(NetOrdGetLastError, a.getLastError) && r.get(NetOrdSetKeepLife, a.setKeepLife) &&
           r.get(NetOrdGetDevConfig, a.getDevConfig) && r.get(NetOrdRealPlay, a.realPlay) &&
           r.get(NetOrdSetRealDataCallback, a.setRealDataCallback) &&
           r.get(NetOrdDelRealDataCallback, a.delRealDataCallback) &&
           r.get(NetOrdStopRealPlay, a.stopRealPlay) && r.get(NetOrdSendJson, a.sendJson) &&
           r.get(NetOrdLogout, a.logout) && r.get(NetOrdCleanup, a.cleanup);
}

bool bindPlay(const SdkLibrary &lib, const std::string &name, SdkApi &a, std::string &error)
{
    using namespace tvsdk;
    Resolver r{lib, name, error};
    return r.get(PlayOrdOpenStream, a.playOpenStream) && r.get(PlayOrdPlay, a.playPlay) &&
           r.get(PlayOrdInputData, a.playInputData) && r.get(PlayOrdStop, a.playStop) &&
           r.get(PlayOrdCloseStream, a.playCloseStream) && r.get(PlayOrdFreePort, a.playFreePort);
}

} // namespace

bool SdkBinding::bind(const SdkPath &appDir, SdkApi &api, std::string &error)
{
    const std::string netName = SdkLibrary::fileName(kNetSdkName);
    const std::string playName = SdkLibrary::fileName(kPlaySdkName);
    SdkApi bound;
    if (!netLibrary().isOpen() && !netLibrary().open(SdkLibrary::join(appDir, netName), error))
        return false;
    if (!bindNet(netLibrary(), netName, bound, error))
        return false;
    if (!playLibrary().isOpen() && !playLibrary().open(SdkLibrary::join(appDir, playName), error))
        return false;
    if (!bindPlay(playLibrary(), playName, bound, error))
        return false;
    api = bound;
    return true;
}
