#include "IconPainter.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kGlyph(0xf4, 0xf7, 0xfb);
const QColor kAccentTop(0x3a, 0x9b, 0xff);
const QColor kAccentBottom(0x1c, 0x5f, 0xd6);

QImage blank(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPen glyphPen(int size)
{
    return QPen(kGlyph, qMax(1.5, size / 11.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A rounded tile with a monitor and a pointer on it: a screen you operate.
void drawBadge(QPainter &p, int size)
{
    const QRectF tile(size * 0.04, size * 0.04, size * 0.92, size * 0.92);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, kAccentTop);
    fill.setColorAt(1, kAccentBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(tile, size * 0.22, size * 0.22);

    const QRectF screen(size * 0.2, size * 0.24, size * 0.6, size * 0.4);
    p.setPen(QPen(kGlyph, size * 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(screen, size * 0.05, size * 0.05);
    p.drawLine(QPointF(size * 0.38, size * 0.76), QPointF(size * 0.62, size * 0.76));
    p.drawLine(QPointF(size * 0.5, size * 0.64), QPointF(size * 0.5, size * 0.76));

    QPainterPath arrow;
    const qreal x = size * 0.5, y = size * 0.34, s = size * 0.36;
    arrow.moveTo(x, y);
    arrow.lineTo(x, y + s * 0.78);
    arrow.lineTo(x + s * 0.2, y + s * 0.6);
    arrow.lineTo(x + s * 0.34, y + s * 0.9);
    arrow.lineTo(x + s * 0.46, y + s * 0.84);
    arrow.lineTo(x + s * 0.32, y + s * 0.55);
    arrow.lineTo(x + s * 0.58, y + s * 0.55);
    arrow.closeSubpath();
    p.setPen(
        QPen(QColor(0x14, 0x3f, 0x8f), size * 0.03, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

template <typename Draw> QImage glyph(int size, Draw draw)
{
    QImage image = blank(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(glyphPen(size));
    p.setBrush(Qt::NoBrush);
    draw(p, qreal(size));
    return image;
}

bool save(const QImage &image, const QString &path, QString &error)
{
    if (image.save(path))
        return true;
    error = QStringLiteral("cannot write %1").arg(path);
    return false;
}
} // namespace

QImage IconPainter::appLogo(int size)
{
    QImage image = blank(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawBadge(p, size);
    return image;
}

QImage IconPainter::titleLogo(int size)
{
    return appLogo(size);
}

QImage IconPainter::close(int size)
{
    return glyph(size, [](QPainter &p, qreal s) {
        p.drawLine(QPointF(s * 0.3, s * 0.3), QPointF(s * 0.7, s * 0.7));
        p.drawLine(QPointF(s * 0.7, s * 0.3), QPointF(s * 0.3, s * 0.7));
    });
}

QImage IconPainter::maximise(int size)
{
    return glyph(size, [](QPainter &p, qreal s) {
        p.drawRoundedRect(QRectF(s * 0.28, s * 0.28, s * 0.44, s * 0.44), s * 0.05, s * 0.05);
    });
}

QImage IconPainter::minimise(int size)
{
    return glyph(size, [](QPainter &p, qreal s) {
        p.drawLine(QPointF(s * 0.28, s * 0.62), QPointF(s * 0.72, s * 0.62));
    });
}

QImage IconPainter::restore(int size)
{
    return glyph(size, [](QPainter &p, qreal s) {
        p.drawRoundedRect(QRectF(s * 0.26, s * 0.38, s * 0.36, s * 0.36), s * 0.04, s * 0.04);
        QPainterPath back;
        back.moveTo(s * 0.38, s * 0.38);
        back.lineTo(s * 0.38, s * 0.26);
        back.lineTo(s * 0.74, s * 0.26);
        back.lineTo(s * 0.74, s * 0.62);
        back.lineTo(s * 0.62, s * 0.62);
        p.drawPath(back);
    });
}

QImage IconPainter::logout(int size)
{
    return glyph(size, [](QPainter &p, qreal s) {
        QPainterPath door;
        door.moveTo(s * 0.5, s * 0.26);
        door.lineTo(s * 0.26, s * 0.26);
        door.lineTo(s * 0.26, s * 0.74);
        door.lineTo(s * 0.5, s * 0.74);
        p.drawPath(door);
        p.drawLine(QPointF(s * 0.42, s * 0.5), QPointF(s * 0.76, s * 0.5));
        p.drawLine(QPointF(s * 0.64, s * 0.38), QPointF(s * 0.76, s * 0.5));
        p.drawLine(QPointF(s * 0.64, s * 0.62), QPointF(s * 0.76, s * 0.5));
    });
}

QImage IconPainter::refresh(int size)
{
    return glyph(size, [](QPainter &p, qreal s) {
        const QRectF ring(s * 0.27, s * 0.27, s * 0.46, s * 0.46);
        p.drawArc(ring, 60 * 16, 280 * 16);
        const QPointF tip(s * 0.615, s * 0.3);
        p.drawLine(tip, QPointF(s * 0.72, s * 0.2));
        p.drawLine(tip, QPointF(s * 0.75, s * 0.38));
    });
}

QImage IconPainter::chevron(int size, bool up)
{
    return glyph(size, [up](QPainter &p, qreal s) {
        const qreal top = up ? s * 0.62 : s * 0.4, bottom = up ? s * 0.4 : s * 0.62;
        p.drawLine(QPointF(s * 0.3, top), QPointF(s * 0.5, bottom));
        p.drawLine(QPointF(s * 0.5, bottom), QPointF(s * 0.7, top));
    });
}

QImage IconPainter::darkChevron(int size)
{
    QImage image = chevron(size, false);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(image.rect(), QColor(0x4a, 0x57, 0x6b));
    return image;
}

QImage IconPainter::check(int size)
{
    return glyph(size, [](QPainter &p, qreal s) {
        p.drawLine(QPointF(s * 0.24, s * 0.52), QPointF(s * 0.42, s * 0.7));
        p.drawLine(QPointF(s * 0.42, s * 0.7), QPointF(s * 0.76, s * 0.32));
    });
}

bool IconPainter::writeAll(const QString &root, QString &error)
{
    const QString skin = root + QStringLiteral("/skin/icons/");
    const QString res = root + QStringLiteral("/Resources/");
    QDir().mkpath(skin);
    QDir().mkpath(res);
    constexpr int kGlyph = 20;
    return save(appLogo(64), skin + "logo.png", error) &&
           save(titleLogo(26), skin + "TopLogo.png", error) &&
           save(close(kGlyph), skin + "sys_cls.png", error) &&
           save(maximise(kGlyph), skin + "sys_max.png", error) &&
           save(minimise(kGlyph), skin + "sys_min.png", error) &&
           save(restore(kGlyph), skin + "sys_normal.png", error) &&
           save(logout(kGlyph), skin + "sys_exit.png", error) &&
           save(refresh(kGlyph), skin + "sys_refresh.png", error) &&
           save(check(14), skin + "check.png", error) &&
           save(darkChevron(14), skin + "arrow_down.png", error) &&
           save(chevron(16, true), res + "PanelUpArrow.png", error) &&
           save(chevron(16, false), res + "PanelDownArrow.png", error) &&
           save(restore(kGlyph), res + "sys_normal.png", error) &&
           save(minimise(kGlyph), res + "sys_min.png", error) &&
           save(maximise(kGlyph), res + "sys_max.png", error) &&
           save(close(kGlyph), res + "sys_cls.png", error) &&
           save(appLogo(32), res + "system.ico", error);
}
