#include "TestFrame.h"

#include <QTest>

TestFrame::TestFrame(const QSize &size)
{
    setStyleSheet("background-color:rgb(0, 0, 0)");
    resize(size);
}

bool TestFrame::showAndWait()
{
    winId();
    show();
    return QTest::qWaitForWindowExposed(this);
}

void TestFrame::mousePressEvent(QMouseEvent *)
{
    ++m_presses;
}
