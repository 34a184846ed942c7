#pragma once
// What the one who sends the display's pictures to its viewers (ViewerHub)
// needs from the display: the simulated recorder's stream, or a fake one
// in the tests that publishes pictures when told to.

#include "PictureBoard.h"

#include <cstdint>

class PictureSource
{
public:
    virtual ~PictureSource() = default;
    // A viewer joins: the next picture is an IDR that it can start on.
    virtual int addViewer() = 0;
    virtual void removeViewer(int id) = 0;
    // All viewers' pace folded into one: maxRate in bits per second, 0 for
    // no limit; hold: no picture for anyone until it is released.
    virtual void setPace(int64_t maxRate, bool hold) = 0;
    // Every picture made, published once for every reader.
    virtual PictureBoard &pictures() = 0;
    // The next picture is an IDR for every viewer.
    virtual void requestKeyFrame() = 0;
    // Pictures that were due but not made because a viewer held the stream.
    virtual uint64_t skipped() const = 0;
};
