#pragma once
// The state of one click-to-photon run: the session, the click now waiting
// for its reaction, and what was measured. GUI thread only; the frame
// handler runs inside the play library's paint of each frame.

#include "BenchSession.h"
#include "FrameStages.h"
#include "Samples.h"

#include <QEventLoop>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <random>
#include <vector>

class ClickRun
{
public:
    explicit ClickRun(BenchSession &session, int deadlineMs = 1500);
    // One press, waited on until its reaction is painted (or the deadline),
    // then the release. False when no reaction was seen.
    bool click(int index);
    // Also called for every painted frame, after the run's own handling.
    BenchSession::FrameHandler alsoOnFrame;

    Samples latencyMs;
    Samples sendMs; // the press's command call, which blocks the GUI thread
    FrameStages stages;
    // The reacting frame's time split at its last byte's arrival: the
    // command's trip and the recorder's work, then the client's own.
    Samples toLastByteMs, lastByteToPaintMs;
    // Each answered click's moments, in order (steady clock ns).
    struct Reaction
    {
        std::int64_t pressNs, lastByteNs, paintedNs;
    };
    std::vector<Reaction> reactions;
    int missed = 0;
    int rejectedPlaces = 0;
    int notPlaced = 0; // clicks for which no place without the pointer was found

private:
    void onFrame(const TvPlayFrameTimes &times);
    bool place(int index, QPoint &frameAt, QPoint &probe);
    bool isReaction(const QColor &c) const;

    BenchSession &m_session;
    int m_deadlineMs;
    std::vector<QRect> m_tiles; // in frame pixels
    std::mt19937 m_random{20261208};
    double m_arrowScale; // frame pixels per unit of the pointer's drawing
    QEventLoop *m_waiting = nullptr;
    QPoint m_probe;
    std::int64_t m_pressNs = 0;
    double m_latencyMs = -1;
};
