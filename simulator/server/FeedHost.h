#pragma once
// What a viewer's feed needs from the one who sends pictures to all viewers
// (ViewerHub; a fake display in the tests).

#include <QtGlobal>

class PatienceRecord;

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
    // Which clients held the others back lately.
    virtual PatienceRecord &patience() = 0;
};
