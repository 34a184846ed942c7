#pragma once
// How far the painted picture lags the recorder's own screen, read from the
// clock in the recorder's status bar. The bench draws that bar itself with
// the simulator's painter for each of the 60 seconds, keeps the pixels
// where the seconds differ (scaled to the video frame as the client scales
// them), and on every painted frame finds which second it shows. The first
// frame that shows a new second is a sample: its paint time on the wall
// clock less the start of that second, which the recorder's clock (the
// wall clock) shows from then on. The recorder draws 25 pictures a second,
// so the new second appears on its screen up to 40 ms after it began: each
// sample is high by that phase, at most one frame interval, the same on
// every link. One sample a second; ages up to 60 s are told apart.
//
// GUI thread only, inside the play library's paint report.

#include "Samples.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

class BenchSession;

class PictureAge
{
public:
    PictureAge(QSize device, QSize frame);
    // Reads the painted clock; paintedNs on the steady clock.
    void onFrame(const BenchSession &session, std::int64_t paintedNs);

    Samples ageMs;
    int unreadable = 0; // frames whose clock matched no second clearly

private:
    int classify(const QImage &region) const;

    QRect m_region;                             // in frame pixels
    std::vector<std::vector<int>> m_references; // grey levels of m_region, per second
    std::int64_t m_wallMinusSteadyNs;
    int m_shown = -1;
};
