#pragma once
// A viewer as the client is one: logged in through the real libNetSDK,
// playing the recorder's display and taking every block as it comes. It
// keeps the arrival time of each block, so that the pictures a second and
// the longest wait between two pictures can be read over any window.
//
// Threads: open() and close() on the caller's thread; the data callback
// runs on the SDK's session thread and only records.

#include "sdk/contract/SdkDefs.h"

#include <QString>

#include <cstdint>
#include <mutex>
#include <vector>

class HonestViewer
{
public:
    ~HonestViewer();
    bool open(std::uint16_t port, QString &error);
    void close();
    // Pictures a second between the two steady-clock times (ns).
    double picturesPerSecond(std::int64_t fromNs, std::int64_t toNs) const;
    // The longest time without a picture in that window, its ends included.
    double longestGapMs(std::int64_t fromNs, std::int64_t toNs) const;

private:
    std::vector<std::int64_t> arrivals(std::int64_t fromNs, std::int64_t toNs) const;
    static int TV_SDK_CALL onData(int play, int type, unsigned char *data, int length, void *user);

    int m_login = 0;
    int m_play = 0;
    mutable std::mutex m_mutex;
    std::vector<std::int64_t> m_arrivalsNs;
};
