#include "PictureAge.h"

#include "BenchSession.h"
#include "SimLayout.h"
#include "SimScreen.h"

#include <QDateTime>

#include <chrono>
#include <climits>

namespace {
std::vector<int> greys(const QImage &image)
{
    std::vector<int> out;
    out.reserve(size_t(image.width() * image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out.push_back(qGray(line[x]));
    }
    return out;
}

std::int64_t wallMinusSteadyNs()
{
    using namespace std::chrono;
    // The pair read closest together gives the offset.
    std::int64_t best = 0, bestSpan = LLONG_MAX;
    for (int i = 0; i < 5; ++i) {
        const auto a = steady_clock::now();
        const auto wall = system_clock::now();
        const auto b = steady_clock::now();
        const std::int64_t span = duration_cast<nanoseconds>(b - a).count();
        if (span < bestSpan) {
            bestSpan = span;
            best = duration_cast<nanoseconds>(wall.time_since_epoch()).count() -
                   duration_cast<nanoseconds>((a + (b - a) / 2).time_since_epoch()).count();
        }
    }
    return best;
}
} // namespace

PictureAge::PictureAge(QSize device, QSize frame) : m_wallMinusSteadyNs(wallMinusSteadyNs())
{
    SimScreen screen(device);
    const QDateTime base(QDate(2026, 1, 1), QTime(12, 34, 0), Qt::UTC);
    std::vector<QImage> renders;
    for (int s = 0; s < 60; ++s) {
        QImage image;
        screen.render(image, base.addSecs(s), 0);
        renders.push_back(image);
    }
    // Where the seconds differ, inside the status bar only: the tiles'
    // clocks lie over moving pictures and under the pointer.
    const QRect bar = SimLayout(device, SimUiState{}).statusBar;
    QRect changed;
    for (int y = bar.top(); y <= bar.bottom(); ++y)
        for (int x = bar.left(); x <= bar.right(); ++x)
            for (int s = 1; s < 60; ++s)
                if (renders[size_t(s)].pixel(x, y) != renders[0].pixel(x, y)) {
                    changed |= QRect(x, y, 1, 1);
                    break;
                }
    const double sx = double(frame.width()) / device.width();
    const double sy = double(frame.height()) / device.height();
    m_region = QRect(QPoint(int(changed.left() * sx) - 1, int(changed.top() * sy) - 1),
                     QPoint(int(changed.right() * sx) + 2, int(changed.bottom() * sy) + 2))
                   .intersected(QRect(QPoint(), frame));
    for (const QImage &image : renders)
        m_references.push_back(greys(
            image.scaled(frame, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).copy(m_region)));
}

int PictureAge::classify(const QImage &region) const
{
    const std::vector<int> shown = greys(region);
    long best = LONG_MAX, second = LONG_MAX;
    int bestIndex = -1;
    for (size_t s = 0; s < m_references.size(); ++s) {
        const std::vector<int> &ref = m_references[s];
        if (ref.size() != shown.size())
            return -1;
        long sad = 0;
        for (size_t i = 0; i < ref.size(); ++i)
            sad += std::abs(ref[i] - shown[i]);
        if (sad < best) {
            second = best;
            best = sad;
            bestIndex = int(s);
        } else if (sad < second) {
            second = sad;
        }
    }
    // Compression blurs the digits a little; a clear winner is still far
    // ahead of the next best.
    return best * 3 < second * 2 ? bestIndex : -1;
}

void PictureAge::onFrame(const BenchSession &session, std::int64_t paintedNs)
{
    const int second = classify(session.framePixels(m_region));
    if (second < 0) {
        ++unreadable;
        return;
    }
    const int previous = m_shown;
    m_shown = second;
    if (previous < 0 || previous == second)
        return;
    const std::int64_t wallMs = (paintedNs + m_wallMinusSteadyNs) / 1000000;
    const std::int64_t wallSecond = wallMs / 1000;
    const int behind = int(((wallSecond % 60) - second + 60) % 60);
    ageMs.add(double(wallMs - (wallSecond - behind) * 1000));
}
