#include "PlayExtras.h"

#include <dlfcn.h>

PlayExtras &PlayExtras::instance()
{
    static PlayExtras extras;
    return extras;
}

bool PlayExtras::load(const std::string &appDir, std::string &error)
{
    // The handle is never closed: the library stays mapped for the process.
    void *handle = dlopen((appDir + "/libH264Play.so").c_str(), RTLD_NOW);
    if (!handle) {
        error = dlerror();
        return false;
    }
    m_setObserver =
        reinterpret_cast<TvPlaySetObserverFn>(dlsym(handle, "tv_h264play_set_observer"));
    m_getStats = reinterpret_cast<TvPlayGetStatsFn>(dlsym(handle, "tv_h264play_get_stats"));
    if (!m_setObserver || !m_getStats) {
        error = "libH264Play has no observer entry points";
        return false;
    }
    return true;
}

bool PlayExtras::setObserver(int port, TvPlayFrameObserver observer, void *user) const
{
    return m_setObserver && m_setObserver(port, observer, user) != 0;
}

bool PlayExtras::stats(int port, TvPlayStats &out) const
{
    return m_getStats && m_getStats(port, &out) != 0;
}
