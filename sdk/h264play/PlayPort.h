#pragma once
// One decoder port: its stream buffer, decoder thread and surface.
//
// Threads: input() runs on the SDK's data thread; every other call on the
// GUI thread (play() must). Control calls are serialised by m_control;
// m_state guards what input() may touch, so input() never waits for a
// join. The decoder thread touches only the buffer and the decoder; the
// decoder's conversion thread only the frame slot. The decoder thread stops
// the conversion thread before it ends, and is joined by stop(), so after stop(), close() or
// release() return nothing of the port runs until it is opened again.
//
// States: Free -(open)-> Open -(stop)-> Stopped -(close)-> Free.
// release() closes whatever is open and forgets the observer.

#include "FrameSlot.h"
#include "H264PlayObserver.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class H264Decoder;
class StreamBuffer;
class SurfaceLink;

class PlayPort
{
public:
    PlayPort();
    ~PlayPort();
    PlayPort(const PlayPort &) = delete;
    PlayPort &operator=(const PlayPort &) = delete;

    int open(int bufferSize);
    int play(void *window);
    int input(const unsigned char *data, int length);
    int stop();
    int close();
    int release();

    int setObserver(TvPlayFrameObserver observer, void *user);
    int stats(TvPlayStats &out);
    int setPaused(bool paused);

private:
    enum class State
    {
        Free,
        Open,
        Stopped,
    };
    void run();
    void dropLink();

    std::mutex m_control;
    std::mutex m_stateMutex;
    State m_state = State::Free;
    std::unique_ptr<StreamBuffer> m_buffer;
    std::unique_ptr<H264Decoder> m_decoder;
    std::thread m_thread;
    std::atomic<std::int64_t> m_bytesDecoded{0};
    FrameSlot m_slot;
    SurfaceLink *m_link = nullptr; // GUI thread
};
