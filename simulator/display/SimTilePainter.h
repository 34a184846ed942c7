#pragma once
// The picture of one synthetic camera: a still scene per channel (kept, as
// it only changes with the tile's size) with something moving across it.

#include <QImage>
#include <QRect>

#include <map>
#include <utility>

class QPainter;

class SimTilePainter
{
public:
    // animMs drives the moving content; the same value gives the same picture.
    void paint(QPainter &p, const QRect &rect, int channel, qint64 animMs);

private:
    const QImage &scene(int channel, QSize size);
    static void paintScene(QImage &image, int channel);
    static void paintMover(QPainter &p, const QRect &rect, int channel, qint64 animMs);

    std::map<std::pair<int, std::pair<int, int>>, QImage> m_scenes;
    qint64 m_pixels = 0;
};
