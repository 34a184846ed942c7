#include "FrameStages.h"

namespace {
double ms(std::int64_t ns)
{
    return double(ns) / 1e6;
}
} // namespace

void FrameStages::add(const TvPlayFrameTimes &t, std::int64_t paintStartNs)
{
    m_decode.add(ms(t.decodedNs - t.inputNs));
    m_convert.add(ms(t.convertedNs - t.decodedNs));
    // A paint that began before the conversion ended was for an older frame.
    if (paintStartNs >= t.convertedNs && paintStartNs <= t.paintedNs) {
        m_queue.add(ms(paintStartNs - t.convertedNs));
        m_draw.add(ms(t.paintedNs - paintStartNs));
    }
    m_pipeline.add(ms(t.paintedNs - t.inputNs));
}

double FrameStages::workFloorMs() const
{
    return m_decode.median() + m_convert.median() + m_draw.median();
}

void FrameStages::write(Json::Value &out, const std::string &prefix) const
{
    out[prefix + "frames"] = frames();
    out[prefix + "decode_p50_ms"] = m_decode.median();
    out[prefix + "convert_p50_ms"] = m_convert.median();
    out[prefix + "queue_p50_ms"] = m_queue.median();
    out[prefix + "queue_p99_ms"] = m_queue.percentile(99);
    out[prefix + "draw_p50_ms"] = m_draw.median();
    out[prefix + "pipeline_p50_ms"] = m_pipeline.median();
    out[prefix + "pipeline_p99_ms"] = m_pipeline.percentile(99);
}
