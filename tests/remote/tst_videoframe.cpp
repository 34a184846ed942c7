// Drives the video frame through the toolkit's own window-system path (the
// same road a real mouse takes) and checks every emission exactly.

#include <QApplication>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest>

#include "CVideoFrame.h"

namespace {

struct Emission
{
    int keyType;
    int nType;
    int nWheel;
    QPoint point;
};

// As text, so that a mismatch names the emission that differs.
QStringList lines(const QVector<Emission> &emissions)
{
    QStringList out;
    for (const Emission &e : emissions)
        out << QString("(%1, 0x%2, %3, (%4, %5))")
                   .arg(e.keyType)
                   .arg(e.nType, 0, 16)
                   .arg(e.nWheel)
                   .arg(e.point.x())
                   .arg(e.point.y());
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Qt::MouseButton)

class TestVideoFrame : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void identity();
    void paintsNothingOverThePicture();
    void leftAndRightButtons_data();
    void leftAndRightButtons();
    void doubleClickGivesFourEmissions_data();
    void doubleClickGivesFourEmissions();
    void otherButtonsOnlyMoveTheLastPoint();
    void movesReportTheLastClickedButton();
    void dragOutsideTheFrameIsNotClipped();
    void wheelReportsDirectionAtTheLastPoint();

private:
    // Window-local point of a frame-local one.
    QPoint at(QPoint framePoint) const { return m_frame->mapTo(&m_host, framePoint); }
    QWindow *window() const { return m_host.windowHandle(); }
    // A real pointer reaches a point before a button changes there (the
    // toolkit synthesises that move otherwise), so every press and release
    // at a new point is preceded by an explicit move.
    void press(Qt::MouseButton button, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void release(Qt::MouseButton button, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void sendButton(QEvent::Type type, Qt::MouseButton button, QPoint framePoint);
    void wheel(QPoint angleDelta, QPoint framePoint = QPoint(5, 5));

    QWidget m_host;
    CVideoFrame *m_frame = nullptr;
    QVector<Emission> m_seen;
};

void TestVideoFrame::init()
{
    // An offset inside its window shows that positions come out frame-local.
    m_frame = new CVideoFrame(&m_host);
    m_frame->setGeometry(30, 20, 320, 240);
    m_host.resize(400, 300);
    m_host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_host));
    m_seen.clear();
    connect(m_frame, &CVideoFrame::mouseEventSignal, this,
            [this](Key_Map_Type k, ZT_MSG_TYPE t, int w, QPoint p) {
                m_seen.append({k, t, w, p});
            });
}

void TestVideoFrame::cleanup()
{
    delete m_frame;
    m_frame = nullptr;
    m_host.hide();
}

void TestVideoFrame::press(Qt::MouseButton button, QPoint p, Qt::KeyboardModifiers mods)
{
    QTest::mouseMove(window(), at(p));
    QTest::mousePress(window(), button, mods, at(p));
}

void TestVideoFrame::release(Qt::MouseButton button, QPoint p, Qt::KeyboardModifiers mods)
{
    QTest::mouseMove(window(), at(p));
    QTest::mouseRelease(window(), button, mods, at(p));
}

void TestVideoFrame::sendButton(QEvent::Type type, Qt::MouseButton button, QPoint framePoint)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, framePoint, m_frame->mapToGlobal(framePoint), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(m_frame, &event);
}

void TestVideoFrame::wheel(QPoint angleDelta, QPoint framePoint)
{
    QWheelEvent event(framePoint, m_frame->mapToGlobal(framePoint), QPoint(), angleDelta,
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_frame, &event);
    QVERIFY(event.isAccepted());
}

void TestVideoFrame::identity()
{
    QCOMPARE(m_frame->objectName(), QString("CPlayWnd"));
    QCOMPARE(m_frame->metaObject()->className(), "CVideoFrame");
    QVERIFY(m_frame->inherits("QFrame"));
    QVERIFY(m_frame->hasMouseTracking());
    const QMetaObject *mo = m_frame->metaObject();
    for (const char *sig :
         {"mouseEventSignal(Key_Map_Type,ZT_MSG_TYPE,int,QPoint)", "setWndStatus(int)",
          "sig_setVRFishType(int,int,int)", "sig_setVRMountAndShapeType(int,int)",
          "sig_vrMouseEventType(int,int,int,int)"})
        QVERIFY2(mo->indexOfSignal(sig) >= 0, sig);
    QVERIFY(mo->indexOfSlot("slot_BufferChanged(ulong,int,int,int)") >= 0);
}

void TestVideoFrame::paintsNothingOverThePicture()
{
    // Even with a frame shape that would normally draw a border, the host's
    // background must show through everywhere.
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

void TestVideoFrame::leftAndRightButtons_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("keyType");
    QTest::addColumn<int>("downType");
    QTest::addColumn<int>("upType");
    QTest::newRow("left") << Qt::LeftButton << 0 << 1 << 0x20008 << 0x20009;
    QTest::newRow("right") << Qt::RightButton << 0 << 2 << 0x2000b << 0x2000c;
    QTest::newRow("left with ctrl+shift")
        << Qt::LeftButton << int(Qt::ControlModifier | Qt::ShiftModifier) << 1 << 0x20008
        << 0x20009;
    QTest::newRow("right with alt")
        << Qt::RightButton << int(Qt::AltModifier) << 2 << 0x2000b << 0x2000c;
}

void TestVideoFrame::leftAndRightButtons()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, modifiers);
    QFETCH(int, keyType);
    QFETCH(int, downType);
    QFETCH(int, upType);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    press(button, {120, 45}, mods);
    release(button, {130, 47}, mods);
    // Moves report the last clicked button: none yet, then this one.
    const QVector<Emission> expected{{1, 0x20006, 0, {120, 45}},
                                     {keyType, downType, 0, {120, 45}},
                                     {keyType, 0x20006, 0, {130, 47}},
                                     {keyType, upType, 0, {130, 47}}};
    QCOMPARE(lines(m_seen).join("\n"), lines(expected).join("\n"));
}

void TestVideoFrame::doubleClickGivesFourEmissions_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("keyType");
    QTest::addColumn<int>("base");
    QTest::newRow("left") << Qt::LeftButton << 1 << 0x20008;
    QTest::newRow("right") << Qt::RightButton << 2 << 0x2000b;
}

void TestVideoFrame::doubleClickGivesFourEmissions()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, keyType);
    QFETCH(int, base);
    QTest::mouseMove(window(), at({60, 70}));
    m_seen.clear();
    QTest::mouseDClick(window(), button, Qt::NoModifier, at({60, 70}));
    const QPoint p(60, 70);
    const QVector<Emission> expected{{keyType, base, 0, p},
                                     {keyType, base + 1, 0, p},
                                     {keyType, base + 2, 0, p},
                                     {keyType, base + 1, 0, p}};
    QCOMPARE(lines(m_seen).join("\n"), lines(expected).join("\n"));
}

void TestVideoFrame::otherButtonsOnlyMoveTheLastPoint()
{
    press(Qt::RightButton, {10, 10});
    release(Qt::RightButton, {10, 10});
    QTest::mouseMove(window(), at({40, 50}));
    m_seen.clear();
    // Sent straight to the frame, so no move the toolkit might synthesise
    // can be what records the new points.
    sendButton(QEvent::MouseButtonPress, Qt::MiddleButton, {90, 80});
    sendButton(QEvent::MouseButtonRelease, Qt::MiddleButton, {91, 81});
    sendButton(QEvent::MouseButtonDblClick, Qt::MiddleButton, {92, 82});
    QVERIFY(m_seen.isEmpty());
    wheel({0, 120});
    // The middle button left the reported button alone.
    QTest::mouseMove(window(), at({93, 83}));
    const QVector<Emission> expected{{1, 0x20007, 1, {92, 82}}, {2, 0x20006, 0, {93, 83}}};
    QCOMPARE(lines(m_seen).join("\n"), lines(expected).join("\n"));
}

void TestVideoFrame::movesReportTheLastClickedButton()
{
    QTest::mouseMove(window(), at({5, 6}));
    QTest::mouseMove(window(), at({5, 6}));
    QTest::mouseMove(window(), at({7, 6}));
    press(Qt::RightButton, {20, 30});
    QTest::mouseMove(window(), at({20, 30}));
    release(Qt::RightButton, {20, 30});
    QTest::mouseMove(window(), at({21, 30}));
    press(Qt::LeftButton, {21, 31});
    release(Qt::LeftButton, {21, 31});
    QTest::mouseMove(window(), at({0, 0}));
    const QVector<Emission> expected{{1, 0x20006, 0, {5, 6}},   {1, 0x20006, 0, {7, 6}},
                                     {1, 0x20006, 0, {20, 30}}, {2, 0x2000b, 0, {20, 30}},
                                     {2, 0x2000c, 0, {20, 30}}, {2, 0x20006, 0, {21, 30}},
                                     {2, 0x20006, 0, {21, 31}}, {1, 0x20008, 0, {21, 31}},
                                     {1, 0x20009, 0, {21, 31}}, {1, 0x20006, 0, {0, 0}}};
    QCOMPARE(lines(m_seen).join("\n"), lines(expected).join("\n"));
}

void TestVideoFrame::dragOutsideTheFrameIsNotClipped()
{
    // The host window is 400 x 300 with the frame at (30, 20): (360, 270)
    // is inside the window but past the frame's right and bottom edges.
    press(Qt::LeftButton, {3, 4});
    QTest::mouseMove(window(), at({-25, -12}));
    QTest::mouseMove(window(), at({-50, -40})); // outside the window too
    QTest::mouseMove(window(), at({360, 270}));
    release(Qt::LeftButton, {-7, 250});
    const QVector<Emission> expected{{1, 0x20006, 0, {3, 4}},     {1, 0x20008, 0, {3, 4}},
                                     {1, 0x20006, 0, {-25, -12}}, {1, 0x20006, 0, {-50, -40}},
                                     {1, 0x20006, 0, {360, 270}}, {1, 0x20006, 0, {-7, 250}},
                                     {1, 0x20009, 0, {-7, 250}}};
    QCOMPARE(lines(m_seen).join("\n"), lines(expected).join("\n"));
}

void TestVideoFrame::wheelReportsDirectionAtTheLastPoint()
{
    press(Qt::RightButton, {33, 44});
    release(Qt::RightButton, {33, 44});
    m_seen.clear();
    wheel({0, 120}, {200, 200});
    wheel({0, -120});
    wheel({0, 0});
    wheel({0, 960});   // a fast spin is still one step
    wheel({-240, 15}); // horizontal dominant
    wheel({3, -2});
    // Neither the point nor the button moved: a move to it emits nothing,
    // and the next real move still reports the right button.
    QTest::mouseMove(window(), at({33, 44}));
    QTest::mouseMove(window(), at({34, 44}));
    const QPoint p(33, 44);
    const QVector<Emission> expected{
        {1, 0x20007, 1, p},  {1, 0x20007, -1, p}, {1, 0x20007, -1, p},      {1, 0x20007, 1, p},
        {1, 0x20007, -1, p}, {1, 0x20007, 1, p},  {2, 0x20006, 0, {34, 44}}};
    QCOMPARE(lines(m_seen).join("\n"), lines(expected).join("\n"));
}

QTEST_MAIN(TestVideoFrame)
#include "tst_videoframe.moc"
