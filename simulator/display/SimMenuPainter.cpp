#include "SimMenuPainter.h"

#include "SimMenuContent.h"
#include "SimTheme.h"

#include <QPainter>

#include <algorithm>

namespace {

void panel(QPainter &p, const QRect &r, int radius, QColor fill)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(SimTheme::border(), 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace

void SimMenuPainter::paintContextMenu(QPainter &p, const SimLayout &l, const SimUiState &state)
{
    p.fillRect(l.contextMenu.translated(l.px(4), l.px(6)), QColor(0, 0, 0, 110));
    panel(p, l.contextMenu, l.px(8), SimTheme::panel());
    const QStringList items = SimMenuContent::contextItems();
    for (const SimLayout::Control &c : l.contextItems) {
        const int i = c.id - SimLayout::ContextItem;
        if (c.id == state.hovered) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(state.pressed == c.id ? SimTheme::accentDark() : SimTheme::accent());
            p.drawRoundedRect(c.rect, l.px(5), l.px(5));
            p.setRenderHint(QPainter::Antialiasing, false);
        }
        if (i == 1 || i == 5)
            p.fillRect(QRect(c.rect.left() + l.px(8), c.rect.top(), c.rect.width() - l.px(16), 1),
                       SimTheme::border());
        m_font.drawIn(p, c.rect.adjusted(l.px(18), 0, -l.px(12), 0), Qt::AlignLeft, items.value(i),
                      l.px(19), SimTheme::text());
    }
}

void SimMenuPainter::paintMainMenu(QPainter &p, const SimLayout &l, const SimUiState &state)
{
    p.fillRect(l.liveArea, QColor(0, 0, 0, 130));
    panel(p, l.menuPanel, l.px(10), SimTheme::panel());
    const QRect title = l.menuTitle;
    p.fillRect(QRect(title.left() + 1, title.bottom(), title.width() - 2, 1), SimTheme::border());
    m_font.drawIn(p, title.adjusted(l.px(24), 0, 0, 0), Qt::AlignLeft, "Main Menu", l.px(24),
                  SimTheme::text(), true);
    const bool closeHot = state.hovered == SimLayout::MenuClose;
    if (closeHot)
        p.fillRect(l.menuClose, state.pressed == SimLayout::MenuClose ? SimTheme::accentDark()
                                                                      : SimTheme::alarm());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(SimTheme::text(), std::max(1, l.px(2))));
    const QRect x = QRect(0, 0, l.px(14), l.px(14));
    const QRect cross = x.translated(l.menuClose.center() - x.center());
    p.drawLine(cross.topLeft(), cross.bottomRight());
    p.drawLine(cross.topRight(), cross.bottomLeft());
    p.setRenderHint(QPainter::Antialiasing, false);
    paintCategories(p, l, state);
    const QRect page = l.menuPage;
    m_font.drawIn(p, QRect(page.left(), page.top(), page.width(), l.px(44)), Qt::AlignLeft,
                  SimMenuContent::categories().value(state.menuCategory), l.px(26),
                  SimTheme::text(), true);
    paintList(p, l, state);
    m_font.drawIn(p,
                  QRect(l.menuPanel.left(), l.menuPanel.bottom() - l.px(40),
                        l.menuPanel.width() - l.px(24), l.px(36)),
                  Qt::AlignRight, "Wheel: scroll    Right click: back", l.px(16),
                  SimTheme::textDim());
}

void SimMenuPainter::paintCategories(QPainter &p, const SimLayout &l, const SimUiState &state)
{
    const QStringList cats = SimMenuContent::categories();
    for (const SimLayout::Control &c : l.menuCategories) {
        const int i = c.id - SimLayout::MenuCategory;
        QColor fill = SimTheme::panelRaised();
        if (state.pressed == c.id && state.hovered == c.id)
            fill = SimTheme::accentDark();
        else if (i == state.menuCategory)
            fill = SimTheme::accent();
        else if (state.hovered == c.id)
            fill = SimTheme::hover();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(c.rect, l.px(6), l.px(6));
        // A small glyph per page: a square with the page's initial.
        const QRect icon(c.rect.left() + l.px(14), c.rect.center().y() - l.px(16), l.px(32),
                         l.px(32));
        p.setPen(QPen(SimTheme::text(), std::max(1, l.px(2))));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(icon, l.px(6), l.px(6));
        p.setRenderHint(QPainter::Antialiasing, false);
        m_font.drawIn(p, icon, Qt::AlignHCenter, cats.value(i).left(1), l.px(18), SimTheme::text(),
                      true);
        m_font.drawIn(p, c.rect.adjusted(l.px(62), 0, -l.px(8), 0), Qt::AlignLeft, cats.value(i),
                      l.px(20), SimTheme::text());
    }
}

void SimMenuPainter::paintList(QPainter &p, const SimLayout &l, const SimUiState &state)
{
    const int fs = l.px(19);
    p.fillRect(l.menuHeader, SimTheme::panelRaised());
    paintColumns(p, l.menuHeader.adjusted(l.px(14), 0, 0, 0),
                 SimMenuContent::columns(state.menuCategory), l.px(17), SimTheme::textDim(), true);
    for (const SimLayout::Control &row : l.menuRows) {
        const int index = row.id - SimLayout::MenuRow;
        QColor fill = index % 2 ? SimTheme::panel() : SimTheme::panel().lighter(112);
        if (index == state.listSelected)
            fill = SimTheme::accentDark();
        else if (row.id == state.hovered)
            fill = SimTheme::hover();
        p.fillRect(row.rect, fill);
        paintColumns(p, row.rect.adjusted(l.px(14), 0, 0, 0),
                     SimMenuContent::row(state.menuCategory, index), fs, SimTheme::text(), false);
    }
    paintScrollBar(p, l, state);
}

void SimMenuPainter::paintScrollBar(QPainter &p, const SimLayout &l, const SimUiState &state)
{
    const int count = SimMenuContent::rowCount(state.menuCategory);
    if (count <= l.visibleRows)
        return;
    const QRect track = l.menuScrollBar;
    p.fillRect(track, SimTheme::panelRaised());
    const int h = std::max(l.px(24), track.height() * l.visibleRows / count);
    const int y = track.top() + (track.height() - h) * state.listScroll / (count - l.visibleRows);
    p.fillRect(QRect(track.left(), y, track.width(), h), SimTheme::textDim());
}

void SimMenuPainter::paintColumns(QPainter &p, const QRect &r, const QStringList &cells, int fs,
                                  QColor color, bool bold)
{
    // Column widths in parts of the row: a narrow first column, then wider ones.
    static const int stops[] = {0, 30, 62, 100};
    for (int i = 0; i < 3 && i < cells.size(); ++i) {
        const int x0 = r.left() + r.width() * stops[i] / 100;
        const int x1 = r.left() + r.width() * stops[i + 1] / 100;
        m_font.drawIn(p, QRect(x0, r.top(), x1 - x0 - fs / 2, r.height()), Qt::AlignLeft, cells[i],
                      fs, color, bold);
    }
}
