#include "SimScreen.h"

#include "SimInput.h"

SimScreen::SimScreen(QSize size) : m_size(size)
{
    m_state.cursor = QPoint(size.width() / 2, size.height() / 2);
}

void SimScreen::resize(QSize size)
{
    if (size == m_size)
        return;
    m_size = size;
    // Menus are laid out anew; a context menu would no longer sit where it was asked for.
    if (m_state.overlay == SimUiState::Overlay::ContextMenu)
        m_state.overlay = SimUiState::Overlay::None;
    m_state.listScroll = 0;
    m_state.pressed = -1;
    m_state.cursor = QPoint(std::min(m_state.cursor.x(), size.width() - 1),
                            std::min(m_state.cursor.y(), size.height() - 1));
}

void SimScreen::apply(const RemoteCtrlEvent &event)
{
    SimInput::apply(m_state, m_size, event);
}

void SimScreen::render(QImage &image, const QDateTime &clock, qint64 animMs)
{
    if (image.size() != m_size || image.format() != QImage::Format_RGB32)
        image = QImage(m_size, QImage::Format_RGB32);
    m_painter.paint(image, m_state, clock, animMs);
}
