// Drives the video frame through the toolkit's window-system path (the road
// a real mouse takes) and checks every emission exactly.

#include <QApplication>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest>

#include "CVideoFrame.h"

class TestVideoFrame : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void identityAndPaint();
    void buttonsWithModifiers();
    void doubleClickGivesFourEmissions();
    void otherButtonsOnlyMoveTheLastPoint();
    void movesReportTheLastClickedButton();
    void dragOutsideTheFrameIsNotClipped();
    void wheelReportsDirectionAtTheLastPoint();

private:
    QWindow *window() const { return m_host.windowHandle(); }
    // Window-local point of a frame-local one.
    QPoint at(QPoint p) const { return m_frame->mapTo(&m_host, p); }
    void move(QPoint p) { QTest::mouseMove(window(), at(p)); }
    // A real pointer reaches a point before a button changes there (the
    // toolkit synthesises that move otherwise), so the move comes first.
    void press(Qt::MouseButton b, QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        move(p);
        QTest::mousePress(window(), b, m, at(p));
    }
    void release(Qt::MouseButton b, QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        move(p);
        QTest::mouseRelease(window(), b, m, at(p));
    }
    void sendButton(QEvent::Type type, Qt::MouseButton button, QPoint p);
    void wheel(QPoint angleDelta, QPoint p = QPoint(5, 5));
    // Emissions since the last call, one "key type wheel x y" line each.
    QString takeSeen();

    QWidget m_host;
    CVideoFrame *m_frame = nullptr;
    QStringList m_seen;
};

void TestVideoFrame::init()
{
    // An offset inside its window shows that positions come out frame-local.
    m_frame = new CVideoFrame(&m_host);
    m_frame->setGeometry(30, 20, 320, 240);
    m_host.resize(400, 300);
    m_host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_host));
    connect(
        m_frame, &CVideoFrame::mouseEventSignal, this,
        [this](Key_Map_Type k, ZT_MSG_TYPE t, int w, QPoint p) {
            m_seen << QString("%1 %2 %3 %4 %5").arg(k).arg(t, 0, 16).arg(w).arg(p.x()).arg(p.y());
        });
}

void TestVideoFrame::cleanup()
{
    delete m_frame;
    m_seen.clear();
    m_host.hide();
}

QString TestVideoFrame::takeSeen()
{
    const QString text = m_seen.join(" | ");
    m_seen.clear();
    return text;
}

void TestVideoFrame::sendButton(QEvent::Type type, Qt::MouseButton button, QPoint p)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, p, m_frame->mapToGlobal(p), button, held, Qt::NoModifier);
    QApplication::sendEvent(m_frame, &event);
}

void TestVideoFrame::wheel(QPoint angleDelta, QPoint p)
{
    QWheelEvent event(p, m_frame->mapToGlobal(p), QPoint(), angleDelta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_frame, &event);
    QVERIFY2(event.isAccepted(), "a wheel turn must not reach the main window as well");
}

void TestVideoFrame::identityAndPaint()
{
    QCOMPARE(m_frame->objectName(), QString("CPlayWnd"));
    QCOMPARE(m_frame->metaObject()->className(), "CVideoFrame");
    QVERIFY(m_frame->hasMouseTracking());
    // Even a frame shape that would draw a border must let the host's
    // background (standing in for the decoded picture) show everywhere.
    m_host.setAutoFillBackground(true);
    QPalette pal = m_host.palette();
    pal.setColor(QPalette::Window, Qt::red);
    m_host.setPalette(pal);
    m_frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_frame->setLineWidth(3);
    const QImage image = m_host.grab().toImage();
    const QRect area = m_frame->geometry();
    for (int y = area.top(); y <= area.bottom(); y += 3)
        for (int x = area.left(); x <= area.right(); x += 3)
            QCOMPARE(QColor(image.pixel(x, y)), QColor(Qt::red));
}

void TestVideoFrame::buttonsWithModifiers()
{
    press(Qt::LeftButton, {120, 45});
    release(Qt::LeftButton, {130, 47});
    QCOMPARE(takeSeen(), QString("1 20006 0 120 45 | 1 20008 0 120 45 | 1 20006 0 130 47 | "
                                 "1 20009 0 130 47"));
    press(Qt::RightButton, {7, 8}, Qt::ControlModifier | Qt::ShiftModifier);
    release(Qt::RightButton, {7, 8}, Qt::AltModifier);
    press(Qt::LeftButton, {0, 0}, Qt::MetaModifier);
    QCOMPARE(takeSeen(), QString("1 20006 0 7 8 | 2 2000b 0 7 8 | 2 2000c 0 7 8 | "
                                 "2 20006 0 0 0 | 1 20008 0 0 0"));
}

void TestVideoFrame::doubleClickGivesFourEmissions()
{
    move({60, 70});
    takeSeen();
    QTest::mouseDClick(window(), Qt::LeftButton, Qt::NoModifier, at({60, 70}));
    QCOMPARE(takeSeen(),
             QString("1 20008 0 60 70 | 1 20009 0 60 70 | 1 2000a 0 60 70 | 1 20009 0 60 70"));
    QTest::mouseDClick(window(), Qt::RightButton, Qt::NoModifier, at({60, 70}));
    QCOMPARE(takeSeen(),
             QString("2 2000b 0 60 70 | 2 2000c 0 60 70 | 2 2000d 0 60 70 | 2 2000c 0 60 70"));
}

void TestVideoFrame::otherButtonsOnlyMoveTheLastPoint()
{
    press(Qt::RightButton, {10, 10});
    release(Qt::RightButton, {10, 10});
    move({40, 50});
    takeSeen();
    // Sent straight to the frame, so no move synthesised by the toolkit can
    // be what records the new points.
    sendButton(QEvent::MouseButtonPress, Qt::MiddleButton, {90, 80});
    sendButton(QEvent::MouseButtonRelease, Qt::MiddleButton, {91, 81});
    sendButton(QEvent::MouseButtonDblClick, Qt::MiddleButton, {92, 82});
    QCOMPARE(takeSeen(), QString());
    wheel({0, 120});
    move({92, 82});
    move({93, 83});
    // The wheel reports the middle button's point; the button stays right.
    QCOMPARE(takeSeen(), QString("1 20007 1 92 82 | 2 20006 0 93 83"));
}

void TestVideoFrame::movesReportTheLastClickedButton()
{
    move({5, 6});
    move({5, 6});
    move({7, 6});
    press(Qt::RightButton, {20, 30});
    move({20, 30});
    release(Qt::RightButton, {20, 30});
    move({21, 30});
    QCOMPARE(takeSeen(), QString("1 20006 0 5 6 | 1 20006 0 7 6 | 1 20006 0 20 30 | "
                                 "2 2000b 0 20 30 | 2 2000c 0 20 30 | 2 20006 0 21 30"));
}

void TestVideoFrame::dragOutsideTheFrameIsNotClipped()
{
    // The frame sits at (30, 20) in a 400 x 300 window: (-50, -40) is outside
    // the window as well, (360, 270) past the frame's right and bottom.
    press(Qt::LeftButton, {3, 4});
    move({-25, -12});
    move({-50, -40});
    move({360, 270});
    release(Qt::LeftButton, {-7, 250});
    QCOMPARE(takeSeen(), QString("1 20006 0 3 4 | 1 20008 0 3 4 | 1 20006 0 -25 -12 | "
                                 "1 20006 0 -50 -40 | 1 20006 0 360 270 | "
                                 "1 20006 0 -7 250 | 1 20009 0 -7 250"));
}

void TestVideoFrame::wheelReportsDirectionAtTheLastPoint()
{
    press(Qt::RightButton, {33, 44});
    release(Qt::RightButton, {33, 44});
    takeSeen();
    wheel({0, 120}, {200, 200}); // its own position is not used
    wheel({0, -120});
    wheel({0, 0});
    wheel({0, 960});   // a fast spin is still one step
    wheel({-240, 15}); // the dominant axis decides
    wheel({3, -2});
    move({33, 44}); // neither the point nor the button changed
    move({34, 44});
    QCOMPARE(takeSeen(), QString("1 20007 1 33 44 | 1 20007 -1 33 44 | 1 20007 -1 33 44 | "
                                 "1 20007 1 33 44 | 1 20007 -1 33 44 | 1 20007 1 33 44 | "
                                 "2 20006 0 34 44"));
}

QTEST_MAIN(TestVideoFrame)
#include "tst_videoframe.moc"
