#pragma once
// A line for every batch of remote commands the display takes and every
// picture it makes, for benchmarks that split a click's time between the
// command's trip, the recorder's work and the way back:
//
//     taken T N          N commands applied to the screen
//     picture T BYTES K  a picture encoded, K 1 for an IDR
//
// T is the monotonic clock (std::chrono::steady_clock, CLOCK_MONOTONIC on
// Linux) in microseconds, the clock other processes on the machine read
// too. Written by the display's own thread only; each line is flushed, so
// a reader sees it at once.

#include <cstddef>
#include <cstdio>
#include <string>

class PictureTrace
{
public:
    // Closed (writes nothing) for an empty path or a file that cannot be opened.
    explicit PictureTrace(const std::string &path);
    ~PictureTrace();
    PictureTrace(const PictureTrace &) = delete;
    PictureTrace &operator=(const PictureTrace &) = delete;

    bool isOpen() const { return m_file != nullptr; }
    void taken(std::size_t commands);
    void picture(std::size_t bytes, bool keyFrame);

private:
    std::FILE *m_file = nullptr;
};
