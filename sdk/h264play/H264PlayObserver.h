#pragma once
// Extra C entry points of libH264Play beside tv_proc_by_ordinal: a per-frame
// timing observer for benchmarks, and counters plus a decoding pause for
// tests. Look them up with dlsym; they are not part of the ordinal table.
//
// Times are std::chrono::steady_clock nanoseconds since its epoch.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TvPlayFrameTimes
{
    // When the input call that completed this frame's last byte entered the
    // library. When several input calls were waiting for the decoder at
    // once, this is the newest of them, so it may read slightly late.
    int64_t inputNs;
    int64_t decodedNs;       // the decoder returned the picture
    int64_t convertedNs;     // scaled and converted to the surface's size
    int64_t paintedNs;       // the surface finished drawing it
    int width, height;       // decoded picture
    int outWidth, outHeight; // drawn picture (the surface's size then)
} TvPlayFrameTimes;

// Called on the GUI thread once per frame that was painted. Frames replaced
// by a newer one before they were painted are not reported.
typedef void (*TvPlayFrameObserver)(void *user, const TvPlayFrameTimes *times);

typedef struct TvPlayStats
{
    int64_t bufferCapacity; // bytes, as given to the open call
    int64_t bufferedBytes;  // waiting for the decoder now
    int64_t droppedBytes;   // input dropped while the buffer was full
    int64_t dropEpisodes;   // times the buffer overflowed
    int64_t framesDecoded;
    int64_t framesPainted;
    int width, height;       // size of the newest decoded picture
    int64_t framesConverted; // converted to the surface's size and offered to it
    // Input the decoder has finished with since the port was opened: once it
    // and droppedBytes add up to all that was given, every picture those
    // bytes completed has been counted in framesDecoded.
    int64_t bytesDecoded;
    // Access units not decoded: pictures beyond the size limit, and units of
    // a new sequence before its first IDR picture or while fresh decoders
    // were rationed.
    int64_t unitsDropped;
    // Input thrown away as part of an access unit longer than any picture
    // up to 4K can be (a stream without start codes, for one).
    int64_t overlongBytes;
} TvPlayStats;

// Replaces the observer of a port (null to remove). Kept until the port is
// released. Returns 0 for a port number out of range.
int tv_h264play_set_observer(int port, TvPlayFrameObserver observer, void *user);
typedef int (*TvPlaySetObserverFn)(int port, TvPlayFrameObserver observer, void *user);

// Fills *stats for an open port; returns 0 when the port is not open.
int tv_h264play_get_stats(int port, TvPlayStats *stats);
typedef int (*TvPlayGetStatsFn)(int port, TvPlayStats *stats);

// Test hook: while paused the decoder takes nothing from the stream buffer,
// as if it could not keep up. Returns 0 when the port is not open.
int tv_h264play_set_decoding_paused(int port, int paused);
typedef int (*TvPlaySetPausedFn)(int port, int paused);

// Test hook: moves the library's clock forward by ns (at least 0), so that
// a test need not sleep until a rationed decoder rebuild is due again.
void tv_h264play_advance_clock(int64_t ns);
typedef void (*TvPlayAdvanceClockFn)(int64_t ns);

#ifdef __cplusplus
}
#endif
