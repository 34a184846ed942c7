#include "OtherViewers.h"

#include "BenchSession.h"
#include "SdkApi.h"

#include <array>

using namespace tvsdk;

OtherViewers::~OtherViewers()
{
    close();
}

bool OtherViewers::open(quint16 port, int count, QString &error)
{
    for (int i = 0; i < count; ++i) {
        m_viewers.push_back(std::make_unique<Viewer>());
        m_viewers.back()->owner = this;
        if (!start(*m_viewers.back(), port, error))
            return false;
    }
    // The simulator lets a viewer join every half second or so.
    const bool all = BenchSession::waitFor(
        [this] {
            for (const auto &v : m_viewers) {
                if (v->blocks == 0)
                    return false;
            }
            return true;
        },
        2000 + 1000 * count);
    if (!all)
        error = "another viewer received no media";
    return all;
}

bool OtherViewers::start(Viewer &viewer, quint16 port, QString &error)
{
    std::array<unsigned char, DeviceInfo::kSize> info{};
    int code = 0;
    viewer.login =
        sdkApi().login("127.0.0.1", port, "admin", "", info.data(), &code, kLoginKindAddress);
    if (viewer.login <= 0) {
        error = QString("another viewer could not log in (%1)").arg(code);
        return false;
    }
    // The recorder's local display, the channel after its cameras.
    std::array<unsigned char, ClientInfo::kSize> client{};
    writeInt32(client.data(), ClientInfo::kChannel,
               readInt32(info.data(), DeviceInfo::kChannelBaseA) +
                   readInt32(info.data(), DeviceInfo::kChannelBaseB));
    viewer.play = sdkApi().realPlay(viewer.login, client.data(), 1);
    if (viewer.play <= 0) {
        error = QString("another viewer could not play (%1)").arg(sdkApi().getLastError());
        return false;
    }
    sdkApi().setRealDataCallback(viewer.play, &OtherViewers::onData, &viewer);
    return true;
}

void OtherViewers::close()
{
    for (const auto &v : m_viewers) {
        if (v->play > 0)
            sdkApi().stopRealPlay(v->play, nullptr);
        if (v->login > 0)
            sdkApi().logout(v->login);
    }
    m_viewers.clear();
}

int TV_SDK_CALL OtherViewers::onData(int, int, unsigned char *, int, void *user)
{
    auto *viewer = static_cast<Viewer *>(user);
    ++viewer->blocks;
    ++viewer->owner->m_blocks;
    return 1;
}
