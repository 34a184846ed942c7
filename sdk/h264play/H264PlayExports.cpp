// The C surface of libH264Play: the ordinal resolver the program binds
// through, and the extra entry points of H264PlayObserver.h.

#include "H264PlayObserver.h"
#include "PlayPort.h"
#include "SdkDefs.h"
#include "SteadyClock.h"

// On Windows the module-definition file alone decides what is exported:
// the play calls, by ordinal only.
#ifdef _WIN32
#define TV_EXPORT extern "C"
#else
#define TV_EXPORT extern "C" __attribute__((visibility("default")))
#endif
// The C names the ordinal table gives them (tv_play_<role>), for the
// module-definition files made from it.
#define TV_PLAY_ENTRY extern "C" int TV_SDK_CALL

namespace {

constexpr int kPortCount = 4;

// Ports live for the whole process (until the library is unloaded), so a
// late input call on a released port still finds an object that refuses it.
PlayPort *port(int nPort)
{
    static PlayPort ports[kPortCount];
    if (nPort < 0 || nPort >= kPortCount)
        return nullptr;
    return &ports[nPort];
}

} // namespace

TV_PLAY_ENTRY tv_play_openStream(int nPort, unsigned char *, int, int nBufferSize)
{
    PlayPort *p = port(nPort);
    return p ? p->open(nBufferSize) : 0;
}

TV_PLAY_ENTRY tv_play_play(int nPort, void *hWnd)
{
    PlayPort *p = port(nPort);
    return p ? p->play(hWnd) : 0;
}

TV_PLAY_ENTRY tv_play_inputData(int nPort, unsigned char *pData, int nLength)
{
    PlayPort *p = port(nPort);
    return p ? p->input(pData, nLength) : 0;
}

TV_PLAY_ENTRY tv_play_stop(int nPort)
{
    PlayPort *p = port(nPort);
    return p ? p->stop() : 0;
}

TV_PLAY_ENTRY tv_play_closeStream(int nPort)
{
    PlayPort *p = port(nPort);
    return p ? p->close() : 0;
}

TV_PLAY_ENTRY tv_play_freePort(int nPort)
{
    PlayPort *p = port(nPort);
    return p ? p->release() : 0;
}

namespace {

// Each entry is checked against the typedef the program calls it through.
tvsdk::FnPlayOpenStream const kOpenStream = tv_play_openStream;
tvsdk::FnPlayPlay const kPlay = tv_play_play;
tvsdk::FnPlayInputData const kInputData = tv_play_inputData;
tvsdk::FnPlayStop const kStop = tv_play_stop;
tvsdk::FnPlayCloseStream const kCloseStream = tv_play_closeStream;
tvsdk::FnPlayFreePort const kFreePort = tv_play_freePort;

} // namespace

TV_EXPORT void *tv_proc_by_ordinal(int nOrdinal)
{
    switch (nOrdinal) {
    case tvsdk::PlayOrdOpenStream:
        return reinterpret_cast<void *>(kOpenStream);
    case tvsdk::PlayOrdPlay:
        return reinterpret_cast<void *>(kPlay);
    case tvsdk::PlayOrdInputData:
        return reinterpret_cast<void *>(kInputData);
    case tvsdk::PlayOrdStop:
        return reinterpret_cast<void *>(kStop);
    case tvsdk::PlayOrdCloseStream:
        return reinterpret_cast<void *>(kCloseStream);
    case tvsdk::PlayOrdFreePort:
        return reinterpret_cast<void *>(kFreePort);
    default:
        return nullptr;
    }
}

TV_EXPORT int tv_h264play_set_observer(int nPort, TvPlayFrameObserver observer, void *user)
{
    PlayPort *p = port(nPort);
    return p ? p->setObserver(observer, user) : 0;
}

TV_EXPORT int tv_h264play_get_stats(int nPort, TvPlayStats *stats)
{
    PlayPort *p = port(nPort);
    return p && stats ? p->stats(*stats) : 0;
}

TV_EXPORT int tv_h264play_set_decoding_paused(int nPort, int paused)
{
    PlayPort *p = port(nPort);
    return p ? p->setPaused(paused != 0) : 0;
}

TV_EXPORT void tv_h264play_advance_clock(int64_t ns)
{
    if (ns > 0)
        steadyOffsetNs() += ns;
}
