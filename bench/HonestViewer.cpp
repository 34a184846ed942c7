#include "HonestViewer.h"

#include "BenchSession.h"
#include "SdkApi.h"

#include <algorithm>
#include <array>

using namespace tvsdk;

HonestViewer::~HonestViewer()
{
    close();
}

bool HonestViewer::open(std::uint16_t port, QString &error)
{
    std::array<unsigned char, DeviceInfo::kSize> info{};
    int code = 0;
    m_login = sdkApi().login("127.0.0.1", port, "admin", "", info.data(), &code, kLoginKindAddress);
    if (m_login <= 0) {
        error = QString("an honest viewer could not log in (%1)").arg(code);
        return false;
    }
    std::array<unsigned char, ClientInfo::kSize> client{};
    writeInt32(client.data(), ClientInfo::kChannel,
               readInt32(info.data(), DeviceInfo::kChannelBaseA) +
                   readInt32(info.data(), DeviceInfo::kChannelBaseB));
    m_play = sdkApi().realPlay(m_login, client.data(), 1);
    if (m_play <= 0) {
        error = QString("an honest viewer could not play (%1)").arg(sdkApi().getLastError());
        return false;
    }
    sdkApi().setRealDataCallback(m_play, &HonestViewer::onData, this);
    return true;
}

void HonestViewer::close()
{
    if (m_play > 0)
        sdkApi().stopRealPlay(m_play, nullptr);
    if (m_login > 0)
        sdkApi().logout(m_login);
    m_play = m_login = 0;
}

std::vector<std::int64_t> HonestViewer::arrivals(std::int64_t fromNs, std::int64_t toNs) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::int64_t> in;
    std::copy_if(m_arrivalsNs.begin(), m_arrivalsNs.end(), std::back_inserter(in),
                 [&](std::int64_t t) { return t >= fromNs && t <= toNs; });
    return in;
}

double HonestViewer::picturesPerSecond(std::int64_t fromNs, std::int64_t toNs) const
{
    return toNs > fromNs ? double(arrivals(fromNs, toNs).size()) * 1e9 / double(toNs - fromNs) : 0;
}

double HonestViewer::longestGapMs(std::int64_t fromNs, std::int64_t toNs) const
{
    std::vector<std::int64_t> times = arrivals(fromNs, toNs);
    times.insert(times.begin(), fromNs);
    times.push_back(toNs);
    std::int64_t longest = 0;
    for (std::size_t i = 1; i < times.size(); ++i)
        longest = std::max(longest, times[i] - times[i - 1]);
    return double(longest) / 1e6;
}

int TV_SDK_CALL HonestViewer::onData(int, int, unsigned char *, int, void *user)
{
    auto *viewer = static_cast<HonestViewer *>(user);
    const std::int64_t now = BenchSession::nowNs();
    std::lock_guard<std::mutex> lock(viewer->m_mutex);
    viewer->m_arrivalsNs.push_back(now);
    return 1;
}
