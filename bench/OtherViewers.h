#pragma once
// The viewers besides the one that clicks: each logged in through
// libNetSDK and playing the recorder's display, its stream counted and
// thrown away. They cost the simulator what real clients cost it, while
// the machine is left to the clicking viewer's decoder (seven more 1080p
// decoders would measure this machine, not the simulator).
//
// Threads: open() and close() on the GUI thread; the data callback runs
// on the device SDK's threads and only counts.

#include "sdk/contract/SdkDefs.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class OtherViewers
{
public:
    ~OtherViewers();
    // Logs `count` viewers in at the port and starts their streams; true
    // once every one of them received media within the deadline.
    bool open(quint16 port, int count, QString &error);
    void close();
    std::uint64_t blocks() const { return m_blocks; } // by all, so far

private:
    struct Viewer
    {
        int login = 0;
        int play = 0;
        std::atomic<std::uint64_t> blocks{0};
        OtherViewers *owner = nullptr;
    };
    bool start(Viewer &viewer, quint16 port, QString &error);
    static int TV_SDK_CALL onData(int play, int type, unsigned char *data, int length, void *user);

    std::vector<std::unique_ptr<Viewer>> m_viewers;
    std::atomic<std::uint64_t> m_blocks{0};
};
