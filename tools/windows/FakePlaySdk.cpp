// A stand-in for the play SDK, built as H264Play.dll and exported by ordinal
// only (see H264Play-*.def). Port 0 is the only port, as the program uses it.
#include "../../sdk/contract/SdkDefs.h"

#include <type_traits>

using namespace tvsdk;

namespace {

bool g_open = false;
int g_received = 0;

} // namespace

extern "C" {

int TV_SDK_CALL fakePlayOpenStream(int nPort, unsigned char *pHeader, int nHeaderLen,
                                   int nBufferSize)
{
    g_open = nPort == 0 && pHeader && nHeaderLen == kPlayHeaderLength &&
             nBufferSize == kPlayStreamBufferSize;
    g_received = 0;
    return g_open ? 1 : 0;
}

int TV_SDK_CALL fakePlayPlay(int nPort, void *hWnd)
{
    return g_open && nPort == 0 && hWnd ? 1 : 0;
}

// Answers with the bytes taken so far, so the caller can see lengths arrive.
int TV_SDK_CALL fakePlayInputData(int nPort, unsigned char *pData, int nLength)
{
    if (!g_open || nPort != 0 || !pData || nLength < 0)
        return 0;
    g_received += nLength;
    return g_received;
}

int TV_SDK_CALL fakePlayStop(int nPort)
{
    return g_open && nPort == 0 ? 1 : 0;
}

int TV_SDK_CALL fakePlayCloseStream(int nPort)
{
    const bool wasOpen = g_open && nPort == 0;
    g_open = false;
    return wasOpen ? 1 : 0;
}

int TV_SDK_CALL fakePlayFreePort(int nPort)
{
    return nPort == 0 ? 1 : 0;
}

} // extern "C"

#define TV_SAME(fn, type) static_assert(std::is_same<decltype(&fn), type>::value, #fn)
TV_SAME(fakePlayOpenStream, FnPlayOpenStream);
TV_SAME(fakePlayPlay, FnPlayPlay);
TV_SAME(fakePlayInputData, FnPlayInputData);
TV_SAME(fakePlayStop, FnPlayStop);
TV_SAME(fakePlayCloseStream, FnPlayCloseStream);
TV_SAME(fakePlayFreePort, FnPlayFreePort);
