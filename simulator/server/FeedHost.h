#pragma once
// What a viewer's feed needs from the one who sends pictures to all viewers
// (ViewerHub; a fake display in the tests).

#include <QtGlobal>

class HoldAllowance;

class FeedHost
{
public:
    virtual ~FeedHost() = default;
    // The feed's rate or hold changed: fold every viewer's into the
    // display's one pace.
    virtual void paceChanged() = 0;
    // The feed's decoder needs an IDR (after a loss).
    virtual void requestKeyFrame() = 0;
    // Pictures the display skipped so far because a viewer held it.
    virtual quint64 skipped() const = 0;
    // What viewers without standing may hold the others back, together.
    virtual HoldAllowance &holdAllowance() = 0;
    // Bytes of media one viewer may have waiting unsent: the server's budget
    // shared by the viewers playing, within ViewerFeed's bounds.
    virtual qint64 mediaCap() const = 0;
};
