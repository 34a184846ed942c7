#include "SimPainter.h"

#include "SimMenuContent.h"
#include "SimTheme.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

void shadowText(SimFont &font, QPainter &p, QPoint at, const QString &text, int size)
{
    font.draw(p, at + QPoint(1, 1), text, size, QColor(0, 0, 0, 200), true);
    font.draw(p, at, text, size, QColor(245, 245, 245), true);
}

} // namespace

SimPainter::SimPainter() : m_menus(m_font) {}

void SimPainter::paint(QImage &image, const SimUiState &state, const QDateTime &clock,
                       qint64 animMs)
{
    const SimLayout l(image.size(), state);
    QPainter p(&image);
    p.fillRect(image.rect(), SimTheme::background());
    for (const SimLayout::Control &tile : l.tiles)
        paintTile(p, l, tile, state, clock, animMs);
    paintStatusBar(p, l, state, clock);
    if (state.overlay == SimUiState::Overlay::MainMenu)
        m_menus.paintMainMenu(p, l, state);
    if (state.overlay == SimUiState::Overlay::ContextMenu)
        m_menus.paintContextMenu(p, l, state);
    paintCursor(p, l, state.cursor);
}

void SimPainter::paintTile(QPainter &p, const SimLayout &l, const SimLayout::Control &tile,
                           const SimUiState &state, const QDateTime &clock, qint64 animMs)
{
    const int channel = tile.id - SimLayout::Tile;
    const QRect r = tile.rect;
    const int fs = std::clamp(r.height() / 20, 11, l.px(30));
    if (SimMenuContent::channelOnline(channel)) {
        m_tiles.paint(p, r, channel, animMs);
        const QPoint pad(fs * 2 / 3, fs / 2);
        shadowText(m_font, p, r.topLeft() + pad, clock.toString("yyyy-MM-dd HH:mm:ss"), fs);
        const QString name = QString("CH%1 %2")
                                 .arg(channel + 1, 2, 10, QChar('0'))
                                 .arg(SimMenuContent::channelName(channel));
        shadowText(m_font, p, QPoint(r.left() + pad.x(), r.bottom() - fs * 2), name, fs);
        // Recording mark, blinking once a second.
        if ((animMs / 500) % 2 == 0) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(SimTheme::alarm());
            p.drawEllipse(QRect(r.right() - fs * 4, r.top() + fs * 3 / 4, fs * 2 / 3, fs * 2 / 3));
            p.setRenderHint(QPainter::Antialiasing, false);
        }
        shadowText(m_font, p, QPoint(r.right() - fs * 3 - 2, r.top() + fs / 2), "REC", fs * 4 / 5);
    } else {
        paintNoVideo(p, r, fs);
    }
    if (channel == state.selectedChannel && l.tiles.size() > 1) {
        const int b = std::max(2, l.px(3));
        p.setPen(Qt::NoPen);
        p.setBrush(SimTheme::accent());
        for (const QRect &edge : {QRect(r.left(), r.top(), r.width(), b),
                                  QRect(r.left(), r.bottom() - b + 1, r.width(), b),
                                  QRect(r.left(), r.top(), b, r.height()),
                                  QRect(r.right() - b + 1, r.top(), b, r.height())})
            p.drawRect(edge);
    }
}

void SimPainter::paintNoVideo(QPainter &p, const QRect &r, int fs)
{
    p.fillRect(r, QColor(18, 21, 26));
    const QRect icon(r.center().x() - fs, r.center().y() - fs * 2, fs * 2, fs * 3 / 2);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(SimTheme::textDim(), std::max(1, fs / 8)));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(icon, fs / 5, fs / 5);
    p.drawLine(icon.topLeft() + QPoint(-fs / 3, -fs / 4),
               icon.bottomRight() + QPoint(fs / 3, fs / 4));
    p.setRenderHint(QPainter::Antialiasing, false);
    m_font.drawIn(p, QRect(r.left(), r.center().y(), r.width(), fs * 2), Qt::AlignHCenter,
                  "No Video", fs, SimTheme::textDim());
}

void SimPainter::paintStatusBar(QPainter &p, const SimLayout &l, const SimUiState &state,
                                const QDateTime &clock)
{
    const QRect bar = l.statusBar;
    p.fillRect(bar, SimTheme::panel());
    p.fillRect(QRect(bar.left(), bar.top(), bar.width(), std::max(1, l.px(1))), SimTheme::border());
    for (const SimLayout::Control &c : l.statusButtons)
        paintStatusButton(p, l, c, state);
    const int left = l.statusButtons.back().rect.right() + l.px(28);
    m_font.drawIn(p, QRect(left, bar.top(), l.px(620), bar.height()), Qt::AlignLeft,
                  state.notice.isEmpty() ? QString("Live view") : state.notice, l.px(20),
                  SimTheme::text());
    paintStatusInfo(p, l, clock);
}

void SimPainter::paintStatusButton(QPainter &p, const SimLayout &l, const SimLayout::Control &c,
                                   const SimUiState &state)
{
    const bool pressed = state.pressed == c.id && state.hovered == c.id;
    const bool active = c.id >= SimLayout::StatusView && c.id < SimLayout::StatusView + 4 &&
                        state.fullChannel < 0 &&
                        state.viewCount == SimLayout::viewChoices(c.id - SimLayout::StatusView);
    QColor fill = SimTheme::panelRaised();
    if (pressed)
        fill = SimTheme::accentDark();
    else if (active || c.id == SimLayout::StatusMenu)
        fill = c.id == SimLayout::StatusMenu ? SimTheme::accent() : SimTheme::hover().lighter(130);
    else if (state.hovered == c.id)
        fill = SimTheme::hover();
    const QRect r = c.rect;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r, l.px(6), l.px(6));
    p.setBrush(SimTheme::text());
    const QPoint mid = r.center();
    const int s = r.height() / 4;
    if (c.id == SimLayout::StatusMenu) {
        for (int i = -1; i <= 1; ++i)
            p.drawRect(
                QRect(r.left() + l.px(14), mid.y() + i * l.px(7) - l.px(1), l.px(18), l.px(3)));
        m_font.drawIn(p, r.adjusted(l.px(42), 0, 0, 0), Qt::AlignLeft, "Menu", l.px(20),
                      SimTheme::text(), true);
    } else if (c.id == SimLayout::StatusPrev || c.id == SimLayout::StatusNext) {
        const int d = c.id == SimLayout::StatusPrev ? -1 : 1;
        const QPointF tri[3] = {QPointF(mid.x() + d * s, mid.y()),
                                QPointF(mid.x() - d * s, mid.y() - s),
                                QPointF(mid.x() - d * s, mid.y() + s)};
        p.drawPolygon(tri, 3);
    } else {
        const int n = c.id - SimLayout::StatusView + 1;
        const double cell = (r.width() - 2.0 * s) / n;
        for (int i = 0; i < n * n; ++i)
            p.drawRect(QRectF(r.left() + s + (i % n) * cell, r.top() + s + (i / n) * cell,
                              cell - std::max(1.0, cell / 5), cell - std::max(1.0, cell / 5)));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

void SimPainter::paintStatusInfo(QPainter &p, const SimLayout &l, const QDateTime &clock)
{
    const QRect bar = l.statusBar;
    const int fs = l.px(20);
    const QString time = clock.toString("yyyy-MM-dd  HH:mm:ss");
    const int timeWidth = m_font.width(time, fs, true);
    const QRect box(bar.right() - l.px(16) - timeWidth, bar.top(), timeWidth, bar.height());
    m_font.draw(p, QPoint(box.left(), bar.top() + (bar.height() - fs * 6 / 5) / 2 + fs / 10), time,
                fs, SimTheme::text(), true);
    struct Item
    {
        QColor dot;
        QString text;
    };
    const Item items[] = {
        {SimTheme::good(), "LAN"}, {SimTheme::good(), "HDD 78%"}, {SimTheme::alarm(), "REC 12/16"}};
    int right = box.left() - l.px(24);
    for (const Item &item : items) {
        const int w = m_font.width(item.text, fs);
        const QRect text(right - w, bar.top(), w, bar.height());
        m_font.drawIn(p, text, Qt::AlignLeft, item.text, fs, SimTheme::textDim());
        const int d = l.px(10);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(item.dot);
        p.drawEllipse(QRect(text.left() - d - l.px(8), bar.center().y() - d / 2, d, d));
        p.setRenderHint(QPainter::Antialiasing, false);
        right = text.left() - d - l.px(32);
    }
}

void SimPainter::paintCursor(QPainter &p, const SimLayout &l, QPoint at)
{
    const double s = l.unit * 1.15;
    QPainterPath arrow;
    arrow.moveTo(0, 0);
    arrow.lineTo(0, 21);
    arrow.lineTo(5, 16);
    arrow.lineTo(9, 24);
    arrow.lineTo(12, 23);
    arrow.lineTo(8, 15);
    arrow.lineTo(15, 15);
    arrow.closeSubpath();
    p.save();
    p.translate(at);
    p.scale(s, s);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.3));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    p.restore();
}
