#include "SendPacer.h"

#include <algorithm>

void SendPacer::update(const Reading &r)
{
    m_queued = r.queued;
    m_lastMs = r.nowMs;
    m_minRttUs = r.minRttUs;
    m_pathLimited = m_pathLimited || full();
    measure(r);
    probe(r);
    if (!full()) {
        m_fullSinceMs = -1;
        m_stalled = false;
        return;
    }
    if (m_fullSinceMs < 0)
        m_fullSinceMs = r.nowMs;
    const int patience = m_stalledBefore ? kShortPatienceMs : kStallMs;
    m_stalled = m_stalled || r.nowMs - m_fullSinceMs >= patience;
    m_stalledBefore = m_stalledBefore || m_stalled;
}

void SendPacer::measure(const Reading &r)
{
    if (!m_busy && r.queued == 0)
        return;
    if (!m_busy) {
        m_busy = true;
        m_markMs = m_lastBusyMs = r.nowMs;
        m_markDelivered = m_lastBusyDelivered = r.delivered;
        m_rttLeftUs = r.minRttUs;
        m_pathLimited = full();
        return;
    }
    if (r.queued > 0) {
        m_lastBusyMs = r.nowMs;
        m_lastBusyDelivered = r.delivered;
        if (r.nowMs - m_markMs >= kSampleMs)
            closeSample();
        return;
    }
    // Drained somewhere since the last look: only the time up to that look
    // is known to have been busy.
    if (m_lastBusyMs > m_markMs)
        closeSample();
    m_busy = false;
}

void SendPacer::closeSample()
{
    const std::int64_t us = (m_lastBusyMs - m_markMs) * 1000 - m_rttLeftUs;
    const std::int64_t bytes = m_lastBusyDelivered - m_markDelivered;
    // The first measurement needs a whole sample's time: a viewer that is
    // only starting (its first IDR against the initial window of a
    // loopback connection) holds bytes back for a moment on any path.
    const bool tooShortForFirst = m_sampleCount == 0 && m_lastBusyMs - m_markMs < kSampleMs;
    if (us >= kMinSampleUs && bytes > 0 && m_pathLimited && !tooShortForFirst)
        sample(bytes * 1000000 / us);
    m_pathLimited = full();
    m_markMs = m_lastBusyMs;
    m_markDelivered = m_lastBusyDelivered;
    m_rttLeftUs = std::max<std::int64_t>(0, -us);
}

void SendPacer::sample(std::int64_t bytesPerSecond)
{
    // The path held bytes back again: a probe ends here. A path found
    // faster than measured before makes the older samples stale.
    if (m_boost > 1 && bytesPerSecond > m_median)
        m_sampleCount = 0;
    m_boost = 1;
    m_samples[std::size_t(m_sampleCount++ % kSamples)] = bytesPerSecond;
    // The lower median: of two samples the smaller, since the first of a
    // busy period includes what buffers further down took at once.
    const int n = std::min(m_sampleCount, kSamples);
    std::array<std::int64_t, kSamples> sorted = m_samples;
    std::nth_element(sorted.begin(), sorted.begin() + (n - 1) / 2, sorted.begin() + n);
    m_median = sorted[std::size_t((n - 1) / 2)];
    m_estimate = m_median;
}

// A stream held to its limit for kProbeMs without ever filling the queue
// may go faster: the estimate grows by kProbeStep a time. A path that
// cannot take it fills the queue, and the next sample ends the probe.
void SendPacer::probe(const Reading &r)
{
    // Bytes waiting beyond a round trip's worth in flight, at the measured rate.
    const std::int64_t waiting = r.queued - m_median * r.minRttUs / 1000000;
    if (waiting <= kSegmentBytes)
        m_busySinceMs = -1;
    else if (m_busySinceMs < 0)
        m_busySinceMs = r.nowMs;
    // A probe that makes the pictures wait longer than their share of an
    // interval asks more than the path gives: it ends before the queue is
    // full, or every probe would let the pictures grow to the whole hold.
    if (m_boost > 1 && m_busySinceMs >= 0 && r.nowMs - m_busySinceMs > kHoldMs / 2) {
        m_boost = 1;
        m_estimate = m_median;
        m_probeMs = -1;
    }
    if (full() || m_probeMs < 0) {
        m_probeMs = r.nowMs;
        m_probeDelivered = r.delivered;
        return;
    }
    const std::int64_t ms = r.nowMs - m_probeMs;
    if (ms < kProbeMs)
        return;
    const double used = double(r.delivered - m_probeDelivered) * 8 * 1000 / double(ms);
    if (maxRate() > 0 && used >= kProbeUse * double(maxRate())) {
        m_boost *= kProbeStep;
        m_estimate = std::int64_t(double(m_median) * m_boost);
    }
    m_probeMs = r.nowMs;
    m_probeDelivered = r.delivered;
}

std::int64_t SendPacer::maxRate() const
{
    const double bits = double(m_estimate) * 8 * kRateShare;
    if (m_estimate == 0 || bits >= double(kUnlimitedRate))
        return 0;
    return std::max(kMinRate, std::int64_t(bits));
}

std::int64_t SendPacer::holdBytes() const
{
    if (m_estimate == 0)
        return kInitialHoldBytes;
    // What is in flight waits in no queue: a round trip's worth is allowed
    // on top. The measured rate, not a probe's: a probe that asks too much
    // must find the queue full, which ends it.
    const std::int64_t us = kHoldMs * 1000 + m_minRttUs;
    return std::max(kMinHoldBytes, m_median * us / 1000000);
}
