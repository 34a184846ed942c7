#include "SimTilePainter.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace {

// Scenes kept, in pixels: the tiles of a few layouts at 1920x1080 (a single
// view of every channel would take 130 MB, so the cache starts over instead).
constexpr qint64 kMaxScenePixels = 8LL * 1920 * 1080;

struct Palette
{
    QColor sky, horizon, ground, accent;
};

Palette palette(int channel)
{
    static const Palette all[] = {
        {{58, 92, 128}, {150, 170, 180}, {78, 84, 72}, {176, 70, 52}},
        {{40, 48, 60}, {92, 100, 110}, {58, 60, 64}, {220, 200, 90}},
        {{120, 110, 96}, {170, 160, 140}, {96, 84, 72}, {60, 120, 150}},
        {{70, 80, 90}, {130, 136, 140}, {88, 88, 84}, {230, 150, 40}},
    };
    return all[channel % 4];
}

} // namespace

void SimTilePainter::paint(QPainter &p, const QRect &rect, int channel, qint64 animMs)
{
    if (rect.width() < 8 || rect.height() < 8)
        return;
    p.drawImage(rect.topLeft(), scene(channel, rect.size()));
    p.save();
    p.setClipRect(rect);
    paintMover(p, rect, channel, animMs);
    p.restore();
}

const QImage &SimTilePainter::scene(int channel, QSize size)
{
    const auto key = std::make_pair(channel, std::make_pair(size.width(), size.height()));
    auto it = m_scenes.find(key);
    if (it != m_scenes.end())
        return it->second;
    if (m_pixels + qint64(size.width()) * size.height() > kMaxScenePixels) {
        m_scenes.clear();
        m_pixels = 0;
    }
    m_pixels += qint64(size.width()) * size.height();
    QImage image(size, QImage::Format_RGB32);
    paintScene(image, channel);
    return m_scenes.emplace(key, std::move(image)).first->second;
}

void SimTilePainter::paintScene(QImage &image, int channel)
{
    const Palette c = palette(channel);
    const double w = image.width(), h = image.height();
    const double horizon = h * (0.38 + 0.04 * (channel % 3));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, c.sky);
    sky.setColorAt(1, c.horizon);
    p.fillRect(QRectF(0, 0, w, horizon), sky);
    QLinearGradient ground(0, horizon, 0, h);
    ground.setColorAt(0, c.ground.lighter(125));
    ground.setColorAt(1, c.ground.darker(140));
    p.fillRect(QRectF(0, horizon, w, h - horizon), ground);
    // Buildings along the horizon, their outline fixed per channel.
    unsigned seed = 2654435761u * unsigned(channel + 1);
    for (double x = 0; x < w;) {
        seed = seed * 1103515245u + 12345u;
        const double bw = w * (0.06 + (seed >> 16) % 100 / 1000.0);
        const double bh = horizon * (0.2 + (seed >> 8) % 50 / 100.0);
        p.fillRect(QRectF(x, horizon - bh, bw - 2, bh), c.horizon.darker(150 + int(seed % 60)));
        for (double wy = horizon - bh + 6; wy < horizon - 8; wy += h / 22)
            p.fillRect(QRectF(x + bw * 0.2, wy, bw * 0.5, h / 60), QColor(230, 220, 160, 70));
        x += bw;
    }
    // A road in perspective with its lane marks.
    QPolygonF road;
    road << QPointF(w * 0.45, horizon) << QPointF(w * 0.55, horizon) << QPointF(w * 0.95, h)
         << QPointF(w * 0.05, h);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(52, 54, 58));
    p.drawPolygon(road);
    p.setPen(QPen(QColor(210, 210, 200), std::max(1.0, w / 320)));
    for (int i = 0; i < 6; ++i) {
        const double t0 = std::pow(i / 6.0, 1.6), t1 = std::pow((i + 0.5) / 6.0, 1.6);
        p.drawLine(QPointF(w * 0.5, horizon + (h - horizon) * t0),
                   QPointF(w * 0.5, horizon + (h - horizon) * t1));
    }
}

void SimTilePainter::paintMover(QPainter &p, const QRect &rect, int channel, qint64 animMs)
{
    const Palette c = palette(channel);
    const double w = rect.width(), h = rect.height();
    const double period = 6000.0 + 900.0 * (channel % 5);
    const double phase = std::fmod(double(animMs) + channel * 1234.0, period) / period;
    // A vehicle crossing along the bottom, a person walking the other way.
    const double carW = w * 0.18, carH = h * 0.11;
    const double carX = rect.left() - carW + (w + carW) * phase;
    const double carY = rect.top() + h * 0.78;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(c.accent);
    p.drawRoundedRect(QRectF(carX, carY, carW, carH), carH * 0.25, carH * 0.25);
    p.setBrush(QColor(160, 200, 230));
    p.drawRect(QRectF(carX + carW * 0.55, carY + carH * 0.15, carW * 0.3, carH * 0.35));
    p.setBrush(QColor(20, 20, 20));
    p.drawEllipse(QRectF(carX + carW * 0.12, carY + carH * 0.75, carH * 0.5, carH * 0.5));
    p.drawEllipse(QRectF(carX + carW * 0.7, carY + carH * 0.75, carH * 0.5, carH * 0.5));

    const double walk = 1.0 - std::fmod(phase * 1.7, 1.0);
    const double personH = h * 0.16, px = rect.left() + w * walk;
    const double py = rect.top() + h * 0.62 + std::sin(phase * 40) * h * 0.004;
    p.setBrush(QColor(40, 44, 60));
    p.drawRoundedRect(QRectF(px, py + personH * 0.22, personH * 0.28, personH * 0.78), 3, 3);
    p.setBrush(QColor(220, 180, 150));
    p.drawEllipse(QRectF(px + personH * 0.02, py, personH * 0.22, personH * 0.22));
    p.setRenderHint(QPainter::Antialiasing, false);
}
