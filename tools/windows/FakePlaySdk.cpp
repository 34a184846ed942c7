// A stand-in for the play SDK, built as H264Play.dll and exported by ordinal
// only through the real library's module-definition files, made from the
// ordinal table. Port 0 is the only port, as the program uses it.
#include "../../sdk/contract/SdkDefs.h"

#include <type_traits>

using namespace tvsdk;

namespace {

bool g_open = false;
int g_received = 0;

} // namespace

extern "C" {

int TV_SDK_CALL tv_play_openStream(int nPort, unsigned char *pHeader, int nHeaderLen,
                                   int nBufferSize)
{
    g_open = nPort == 0 && pHeader && nHeaderLen == kPlayHeaderLength &&
             nBufferSize == kPlayStreamBufferSize;
    g_received = 0;
    return g_open ? 1 : 0;
}

int TV_SDK_CALL tv_play_play(int nPort, void *hWnd)
{
    return g_open && nPort == 0 && hWnd ? 1 : 0;
}

// Answers with the bytes taken so far, so the caller can see lengths arrive.
int TV_SDK_CALL tv_play_inputData(int nPort, unsigned char *pData, int nLength)
{
    if (!g_open || nPort != 0 || !pData || nLength < 0)
        return 0;
    g_received += nLength;
    return g_received;
}

int TV_SDK_CALL tv_play_stop(int nPort)
{
    return g_open && nPort == 0 ? 1 : 0;
}

int TV_SDK_CALL tv_play_closeStream(int nPort)
{
    const bool wasOpen = g_open && nPort == 0;
    g_open = false;
    return wasOpen ? 1 : 0;
}

int TV_SDK_CALL tv_play_freePort(int nPort)
{
    return nPort == 0 ? 1 : 0;
}

} // extern "C"

#define TV_SAME(fn, type) static_assert(std::is_same<decltype(&fn), type>::value, #fn)
TV_SAME(tv_play_openStream, FnPlayOpenStream);
TV_SAME(tv_play_play, FnPlayPlay);
TV_SAME(tv_play_inputData, FnPlayInputData);
TV_SAME(tv_play_stop, FnPlayStop);
TV_SAME(tv_play_closeStream, FnPlayCloseStream);
TV_SAME(tv_play_freePort, FnPlayFreePort);
