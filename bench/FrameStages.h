#pragma once
// Where the client's time goes for each painted frame, stage by stage, from
// the play library's per-frame times and the moment its surface began to
// paint: decode, conversion, waiting for the GUI thread, drawing, and the
// whole client pipeline (last byte into the play library to painted).

#include "Samples.h"
#include "sdk/h264play/H264PlayObserver.h"

#include <json/value.h>

#include <cstdint>
#include <string>

class FrameStages
{
public:
    void add(const TvPlayFrameTimes &times, std::int64_t paintStartNs);
    int frames() const { return m_pipeline.count(); }
    const Samples &decode() const { return m_decode; }
    const Samples &convert() const { return m_convert; }
    const Samples &queue() const { return m_queue; }
    const Samples &draw() const { return m_draw; }
    const Samples &pipeline() const { return m_pipeline; }
    // p50 of the stages that do work (decode, conversion, drawing), in ms.
    double workFloorMs() const;
    void write(Json::Value &out, const std::string &prefix) const;

private:
    Samples m_decode, m_convert, m_queue, m_draw, m_pipeline;
};
