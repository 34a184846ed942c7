#pragma once
// libH264Play's extra entry points (frame observer, counters), looked up by
// name in the copy the binding already loaded. One per process.

#include "sdk/h264play/H264PlayObserver.h"

#include <string>

class PlayExtras
{
public:
    static PlayExtras &instance();
    bool load(const std::string &appDir, std::string &error);
    bool setObserver(int port, TvPlayFrameObserver observer, void *user) const;
    bool stats(int port, TvPlayStats &out) const;

private:
    TvPlaySetObserverFn m_setObserver = nullptr;
    TvPlayGetStatsFn m_getStats = nullptr;
};
