#pragma once
// Keeps one viewer's unsent media within a small time budget of what its
// path carries, the way low-latency streamers do: measure the path all the
// time, size the encoder's rate to it, and rather skip pictures than let a
// queue build.
//
// Fed every few milliseconds with the bytes waiting for the viewer (in the
// simulator and in the kernel, sent but unacknowledged included) and the
// bytes acknowledged so far. It answers three things:
//
// - maxRate(): the encoder's rate for this viewer, a share of the measured
//   path rate so that the queue drains between pictures; 0 while the path
//   is unmeasured or faster than the encoder ever needs (loopback). The
//   encoder's VBV holds one picture at that rate, so at 25 pictures a
//   second no picture takes more than 20 ms of the path: a click's answer
//   is on the wire for at most that, and the other half of each interval
//   lets the queue drain and control replies pass.
// - full(): more than holdBytes() wait, kHoldMs of the path plus one round
//   trip: the display makes no picture until it drains. With the encoder's
//   VBV bounding one picture to half an interval of the path, media never
//   waits much more than 60 ms, nor do the replies behind it.
// - stalled(): full for kStallMs on end. Such a viewer is not keeping up
//   with even the slowest pictures (or does not read at all): it stops
//   holding the others back and loses its media until it drains. After a
//   first stall it gets a quarter of that patience (kShortPatienceMs), so
//   that a peer that stops and starts reading on purpose cannot freeze the
//   others a second at a time; a pacer made for a client known to have
//   done so starts with the short patience.
//
// The path's rate is measured only while the path holds bytes back: over a
// busy period in which the queue was over its budget at some look, the
// bytes acknowledged up to the last look that still saw bytes waiting,
// divided by its length less one round trip (the first bytes of a period
// spend that in flight however fast the path is), every kSampleMs or when
// the queue empties. A queue that drains at once says nothing: a relay or a
// modem further down may have taken the bytes into a buffer of its own that
// the simulator cannot see. A path never found limiting is not limited at
// all, so a stream that fits its path keeps its quality. The estimate is the
// lower median of the latest kSamples: a reader that stalls for a moment
// must not halve the rate. It climbs back by probing (see probe()). Pure
// arithmetic on the readings, no clock or socket of its own, so tests can
// drive it.

#include <array>
#include <cstdint>

class SendPacer
{
public:
    static constexpr int kHoldMs = 40;
    static constexpr int kStallMs = 1000;
    static constexpr int kShortPatienceMs = kStallMs / 4;
    static constexpr int kSampleMs = 200;
    static constexpr std::int64_t kMinSampleUs = 5000;
    static constexpr int kProbeMs = 1000;
    static constexpr double kProbeUse = 0.9; // of the limit, for the stream to be held by it
    static constexpr double kProbeStep = 1.15;
    static constexpr int kSamples = 15;
    static constexpr std::int64_t kMinHoldBytes = 4 * 1024;
    static constexpr std::int64_t kSegmentBytes = 1448;
    // Before the first sample. Being full costs a fast path nothing (it
    // drains at once, and that measures it), so the first estimate comes
    // early on a slow one.
    static constexpr std::int64_t kInitialHoldBytes = 16 * 1024;
    // Half the path: one picture's VBV then takes half an interval of it
    // (see maxRate()). It is also headroom for what the estimate cannot
    // see: a relay's buffer makes the first sample of a busy period read
    // high (a limit at 0.8 left a 1.5 Mbit/s link full at times).
    static constexpr double kRateShare = 0.5;
    static constexpr std::int64_t kMinRate = 100 * 1000;     // bits per second
    static constexpr std::int64_t kUnlimitedRate = 20000000; // and above: no limit

    struct Reading
    {
        std::int64_t nowMs = 0;
        std::int64_t queued = 0;    // bytes, the simulator's and the kernel's
        std::int64_t delivered = 0; // bytes acknowledged by the viewer so far
        std::int64_t minRttUs = 0;
    };
    explicit SendPacer(bool shortPatience = false) : m_stalledBefore(shortPatience) {}
    void update(const Reading &r);

    // Bytes per second, 0 unknown: as measured, and with a probe's steps.
    std::int64_t measured() const { return m_median; }
    std::int64_t estimate() const { return m_estimate; }
    std::int64_t maxRate() const;
    std::int64_t holdBytes() const;
    std::int64_t queued() const { return m_queued; }
    bool full() const { return m_queued > holdBytes(); }
    // Full on a measured path: until the first measurement the stream goes
    // on, or a fast path would lose a picture to every large IDR.
    bool hold() const { return full() && m_estimate > 0; }
    bool stalled() const { return m_stalled; }
    // How long the queue has been full on end, at the last reading.
    std::int64_t fullForMs() const { return m_fullSinceMs < 0 ? 0 : m_lastMs - m_fullSinceMs; }

private:
    void measure(const Reading &r);
    void closeSample();
    void sample(std::int64_t bytesPerSecond);
    void probe(const Reading &r);

    std::array<std::int64_t, kSamples> m_samples{};
    int m_sampleCount = 0;       // all time; the ring holds the latest kSamples
    std::int64_t m_median = 0;   // of the samples
    double m_boost = 1;          // a probe's steps so far
    std::int64_t m_estimate = 0; // the two together
    std::int64_t m_queued = 0;
    std::int64_t m_minRttUs = 0;
    bool m_busy = false; // a busy period is being measured
    std::int64_t m_markMs = 0, m_markDelivered = 0;
    std::int64_t m_lastBusyMs = 0, m_lastBusyDelivered = 0; // the last look that saw a queue
    std::int64_t m_rttLeftUs = 0;                           // still to take off the period's length
    bool m_pathLimited = false;                             // full at some look since the mark
    std::int64_t m_probeMs = -1, m_probeDelivered = 0;      // since the queue was last full
    std::int64_t m_busySinceMs = -1;                        // the queue has held bytes since
    std::int64_t m_fullSinceMs = -1;
    std::int64_t m_lastMs = 0;
    bool m_stalled = false;
    bool m_stalledBefore;
};
