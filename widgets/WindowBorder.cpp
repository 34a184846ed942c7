#include "WindowBorder.h"

#include <QPainter>
#include <QWidget>

void WindowBorder::paint(QWidget *window)
{
    QPainter painter(window);
    painter.setBrush(Qt::transparent);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(203, 203, 203), 1, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin));
    const int w = window->width(), h = window->height();
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(0, h - 1, w - 1, h - 1);
}
