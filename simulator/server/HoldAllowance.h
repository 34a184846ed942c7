#pragma once
// How long viewers that have not yet shown they keep up may hold every
// other viewer back, all of them together.
//
// A viewer that fills its path holds the stream for everyone until it
// drains, for at most its own patience (SendPacer). That patience cannot
// belong to a client: a client may claim any address and open viewer after
// viewer, each with a fresh patience, so that together they hold the
// stream most of the time. So only a viewer that has played well for a
// while holds on its own patience; the holds of all the others share this
// one allowance: kBurstMs at most, refilled at kPerSecondMs a second. A
// newcomer on a slow path spends a little of it now and then; viewers that
// stop reading one after the other spend it all, and then lose their media
// at once instead of holding the others.
//
// Pure arithmetic on the caller's clock (ms from any fixed start), so tests
// can drive it. Main thread.

#include <QtGlobal>

class HoldAllowance
{
public:
    static constexpr qint64 kBurstMs = 1000;
    static constexpr qint64 kPerSecondMs = 100;

    // Takes `ms` of holding, at `nowMs`; false (and nothing taken) when
    // that much is not left.
    bool spend(qint64 nowMs, qint64 ms);
    qint64 left(qint64 nowMs);

private:
    qint64 m_leftUs = kBurstMs * 1000; // microseconds, so that refills do not round away
    qint64 m_lastMs = -1;
};
