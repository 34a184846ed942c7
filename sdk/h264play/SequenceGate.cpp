#include "SequenceGate.h"

SequenceGate::Verdict SequenceGate::judge(const std::uint8_t *unit, std::size_t size,
                                          std::int64_t nowNs)
{
    switch (m_watch.read(unit, size)) {
    case SequenceWatch::Sets::None:
        return m_behind ? Verdict::Drop : Verdict::Decode;
    case SequenceWatch::Sets::Same:
        // A repeat of the sets the decoder follows, or the first ever.
        if (!m_behind && !m_watch.exceeds(m_maxSide, m_maxPixels)) {
            m_decoderShape = m_watch.shape();
            m_decoderKnown = true;
            return Verdict::Decode;
        }
        break;
    case SequenceWatch::Sets::New:
        break;
    }
    return follow(nowNs);
}

SequenceGate::Verdict SequenceGate::follow(std::int64_t nowNs)
{
    if (m_watch.exceeds(m_maxSide, m_maxPixels)) {
        m_behind = true;
        return Verdict::Drop;
    }
    if (m_decoderKnown && m_watch.shape() == m_decoderShape) {
        m_behind = false;
        return Verdict::Decode;
    }
    // Other sets take effect only at an IDR picture; before one, nothing of
    // the new sequence can be decoded, so junk sets cost no fresh decoder.
    if (!m_watch.keyframe() || !takeRebuild(nowNs)) {
        m_behind = true;
        return Verdict::Drop;
    }
    m_decoderShape = m_watch.shape();
    m_decoderKnown = true;
    m_behind = false;
    return Verdict::Rebuild;
}

bool SequenceGate::takeRebuild(std::int64_t nowNs)
{
    if (!m_clockStarted) {
        m_clockStarted = true;
        m_refilledNs = nowNs;
    }
    const std::int64_t periods = nowNs > m_refilledNs ? (nowNs - m_refilledNs) / kRefillNs : 0;
    if (m_tokens + periods >= kBurst) {
        m_tokens = kBurst;
        m_refilledNs = nowNs;
    } else {
        m_tokens += int(periods);
        m_refilledNs += periods * kRefillNs;
    }
    if (m_tokens == 0)
        return false;
    --m_tokens;
    return true;
}
