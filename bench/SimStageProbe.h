#pragma once
// The simulator's share of the processing floor: drawing its display and
// encoding one picture, timed in this process with the simulator's own
// classes, at the size and frame rate of the measured stream, on an
// otherwise idle machine (no stream runs while it measures).

#include <QSize>

class SimStageProbe
{
public:
    struct Result
    {
        double renderMs = 0; // p50
        double encodeMs = 0; // p50
    };
    // Each picture follows a press at a new place, as a click's reaction does.
    static Result measure(QSize size, int fps, int pictures = 80);
};
