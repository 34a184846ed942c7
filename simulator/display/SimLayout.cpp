#include "SimLayout.h"

#include "SimMenuContent.h"

#include <algorithm>
#include <cmath>

SimLayout::SimLayout(QSize displaySize, const SimUiState &state)
    : size(displaySize), unit(std::max(0.25, displaySize.height() / 1080.0)),
      m_overlay(state.overlay)
{
    const int barHeight = px(52);
    statusBar = QRect(0, size.height() - barHeight, size.width(), barHeight);
    liveArea = QRect(0, 0, size.width(), size.height() - barHeight);
    layoutStatusBar();
    layoutTiles(state);
    if (state.overlay == SimUiState::Overlay::ContextMenu)
        layoutContextMenu(state);
    if (state.overlay == SimUiState::Overlay::MainMenu)
        layoutMainMenu(state);
}

void SimLayout::layoutStatusBar()
{
    const int h = statusBar.height() - px(12);
    const int top = statusBar.top() + px(6);
    int x = px(8);
    statusButtons.push_back({StatusMenu, QRect(x, top, px(120), h)});
    x += px(120) + px(16);
    for (int i = 0; i < 4; ++i) {
        statusButtons.push_back({StatusView + i, QRect(x, top, h, h)});
        x += h + px(6);
    }
    x += px(10);
    statusButtons.push_back({StatusPrev, QRect(x, top, h, h)});
    x += h + px(6);
    statusButtons.push_back({StatusNext, QRect(x, top, h, h)});
}

void SimLayout::layoutTiles(const SimUiState &state)
{
    if (state.fullChannel >= 0) {
        tiles.push_back({Tile + state.fullChannel, liveArea});
        return;
    }
    const int n = static_cast<int>(std::lround(std::sqrt(double(state.viewCount))));
    const int gap = std::max(1, px(2));
    for (int i = 0; i < n * n; ++i) {
        const int col = i % n, row = i / n;
        const int x0 = liveArea.width() * col / n, x1 = liveArea.width() * (col + 1) / n;
        const int y0 = liveArea.height() * row / n, y1 = liveArea.height() * (row + 1) / n;
        const int channel = (state.firstChannel + i) % SimUiState::kChannels;
        tiles.push_back({Tile + channel, QRect(x0, y0, x1 - x0 - gap, y1 - y0 - gap)});
    }
}

void SimLayout::layoutContextMenu(const SimUiState &state)
{
    const QStringList items = SimMenuContent::contextItems();
    const int itemHeight = px(40), width = px(260), pad = px(6);
    QRect r(state.contextAt, QSize(width, itemHeight * items.size() + 2 * pad));
    // Kept inside the live area, flipped to the left or up near an edge.
    if (r.right() > liveArea.right())
        r.moveRight(std::min(state.contextAt.x(), liveArea.right()));
    if (r.bottom() > liveArea.bottom())
        r.moveBottom(std::min(state.contextAt.y(), liveArea.bottom()));
    r.moveLeft(std::max(0, r.left()));
    r.moveTop(std::max(0, r.top()));
    contextMenu = r;
    for (int i = 0; i < items.size(); ++i)
        contextItems.push_back(
            {ContextItem + i,
             QRect(r.left() + pad, r.top() + pad + i * itemHeight, width - 2 * pad, itemHeight)});
}

void SimLayout::layoutMainMenu(const SimUiState &state)
{
    const int w = std::min(liveArea.width() - px(40), px(1280));
    const int h = std::min(liveArea.height() - px(40), px(820));
    menuPanel = QRect(liveArea.center().x() - w / 2, liveArea.center().y() - h / 2, w, h);
    menuTitle = QRect(menuPanel.left(), menuPanel.top(), w, px(56));
    menuClose = QRect(menuTitle.right() - px(52), menuTitle.top() + px(8), px(44), px(40));
    const int sideWidth = px(260), catHeight = px(64);
    const QStringList cats = SimMenuContent::categories();
    for (int i = 0; i < cats.size(); ++i)
        menuCategories.push_back(
            {MenuCategory + i,
             QRect(menuPanel.left() + px(12), menuTitle.bottom() + px(12) + i * (catHeight + px(6)),
                   sideWidth, catHeight)});
    menuPage = QRect(menuPanel.left() + sideWidth + px(36), menuTitle.bottom() + px(12),
                     w - sideWidth - px(60), h - menuTitle.height() - px(60));
    menuHeader = QRect(menuPage.left(), menuPage.top() + px(52), menuPage.width(), px(40));
    menuList = QRect(menuPage.left(), menuHeader.bottom() + 1, menuPage.width() - px(20),
                     menuPage.bottom() - menuHeader.bottom());
    menuScrollBar = QRect(menuList.right() + px(8), menuList.top(), px(8), menuList.height());
    const int rowHeight = px(44);
    visibleRows = std::max(1, menuList.height() / rowHeight);
    const int count = SimMenuContent::rowCount(state.menuCategory);
    for (int i = 0; i < visibleRows && state.listScroll + i < count; ++i)
        menuRows.push_back(
            {MenuRow + state.listScroll + i,
             QRect(menuList.left(), menuList.top() + i * rowHeight, menuList.width(), rowHeight)});
}

int SimLayout::hit(QPoint p) const
{
    auto find = [&](const std::vector<Control> &list) {
        for (const Control &c : list) {
            if (c.rect.contains(p))
                return c.id;
        }
        return int(None);
    };
    if (m_overlay == SimUiState::Overlay::MainMenu) {
        if (menuClose.contains(p))
            return MenuClose;
        for (const auto *list : {&menuCategories, &menuRows}) {
            const int id = find(*list);
            if (id != None)
                return id;
        }
        // The menu is modal: nothing behind it reacts.
        return menuPanel.contains(p) ? MenuBackdrop : None;
    }
    if (m_overlay == SimUiState::Overlay::ContextMenu && contextMenu.contains(p))
        return find(contextItems);
    if (statusBar.contains(p))
        return find(statusButtons);
    return find(tiles);
}
