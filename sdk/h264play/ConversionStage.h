#pragma once
// Converts decoded pictures on a thread of its own and puts them in the
// frame slot, so that the decoder starts on the next picture while this
// one is converted: a stream arriving faster than real time is decoded and
// converted at the pace of the slower of the two, not of their sum.
//
// At most one picture waits here. submit() waits while one does, so no
// picture is dropped and none waits longer than one conversion; a live
// stream at its own pace never waits at all.
//
// Threads: submit() and finish() run on the decoder thread; the stage's
// own thread converts and publishes. finish() joins it, after which
// nothing of the stage runs.

#include "PictureConverter.h"

#include <QImage>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

struct AVFrame;
class FrameSlot;

class ConversionStage
{
public:
    explicit ConversionStage(FrameSlot &slot);
    ~ConversionStage();
    ConversionStage(const ConversionStage &) = delete;
    ConversionStage &operator=(const ConversionStage &) = delete;

    bool start();
    // Takes the picture's reference (the frame is left empty).
    void submit(AVFrame *frame, std::int64_t inputNs, std::int64_t decodedNs);
    // Converts what is waiting, then stops the thread.
    void finish();
    std::int64_t framesConverted() const { return m_converted; }

private:
    void run();
    void present(const AVFrame *frame, std::int64_t inputNs, std::int64_t decodedNs);

    FrameSlot &m_slot;
    PictureConverter m_converter; // stage thread
    QImage m_spare;               // stage thread: the picture painted before the newest
    std::mutex m_mutex;
    std::condition_variable m_cv;
    AVFrame *m_waiting = nullptr; // holds a picture while m_full
    AVFrame *m_current = nullptr; // stage thread: the picture being converted
    bool m_full = false;
    bool m_finishing = false;
    std::int64_t m_inputNs = 0, m_decodedNs = 0;
    std::atomic<std::int64_t> m_converted{0};
    std::thread m_thread;
};
