// The simulated display's reaction to the remote mouse, checked on the
// picture itself. Runs without a GUI application object on purpose: the
// simulator has none.

#include "H264TestDecoder.h"
#include "SimLayout.h"
#include "SimScreen.h"

#include <QtTest>

namespace {

const QDateTime kClock(QDate(2026, 12, 8), QTime(14, 17, 3));

QImage shot(SimScreen &s, qint64 animMs = 1000)
{
    QImage image;
    s.render(image, kClock, animMs);
    return image;
}

QRect controlRect(const SimScreen &s, int id)
{
    const SimLayout l(s.size(), s.state());
    for (const auto *list : {&l.statusButtons, &l.tiles, &l.contextItems, &l.menuCategories})
        for (const SimLayout::Control &c : *list)
            if (c.id == id)
                return c.rect;
    return QRect();
}

void send(SimScreen &s, uint32_t msg, QPoint at, uint32_t button = 1)
{
    s.apply({msg, button, at.x(), at.y()});
}

bool differs(const QImage &a, const QImage &b, const QRect &r)
{
    return H264TestDecoder::meanDifference(a, b, r) > 1.0;
}

} // namespace

class TestSimScreen : public QObject
{
    Q_OBJECT
private slots:
    void drawsTextWithoutGuiApplication();
    void pressChangesOnlyThePressedButton();
    void contextMenuOpensWhereClickedAndActs();
    void doubleClickShowsOneTileFullScreen();
    void wheelScrollsTheMenuList();
    void hitTestingFollowsTheResolution();
};

void TestSimScreen::drawsTextWithoutGuiApplication()
{
    SimScreen s(QSize(1280, 720));
    const QImage image = shot(s);
    QCOMPARE(image.size(), QSize(1280, 720));
    // The clock at the status bar's right end is light text on a dark bar.
    const SimLayout l(s.size(), s.state());
    const QRect clock(l.statusBar.right() - 150, l.statusBar.top(), 140, l.statusBar.height());
    int light = 0;
    for (int y = clock.top(); y <= clock.bottom(); ++y)
        for (int x = clock.left(); x <= clock.right(); ++x)
            light += qGray(image.pixel(x, y)) > 180;
    QVERIFY2(light > 100, "no text drawn");
}

void TestSimScreen::pressChangesOnlyThePressedButton()
{
    SimScreen s(QSize(1920, 1080));
    const QRect nine = controlRect(s, SimLayout::StatusView + 2);
    const QRect far = QRect(1000, 100, 400, 300);
    send(s, ZT_MSG_MOUSE_MOVE, nine.center(), 0);
    const QImage before = shot(s);
    send(s, ZT_MSG_LBUTTON_DOWN, nine.center());
    const QImage pressed = shot(s);
    QVERIFY(differs(before, pressed, nine));
    QVERIFY(!differs(before, pressed, far));
    QCOMPARE(s.state().viewCount, 4); // acts on release, not on press
    send(s, ZT_MSG_LBUTTON_UP, nine.center());
    QCOMPARE(s.state().viewCount, 9);
    QVERIFY(differs(pressed, shot(s), far));

    // Released somewhere else: the press is abandoned.
    const QRect one = controlRect(s, SimLayout::StatusView);
    send(s, ZT_MSG_LBUTTON_DOWN, one.center());
    send(s, ZT_MSG_LBUTTON_UP, one.center() + QPoint(0, -200));
    QCOMPARE(s.state().viewCount, 9);
}

void TestSimScreen::contextMenuOpensWhereClickedAndActs()
{
    SimScreen s(QSize(1920, 1080));
    const QPoint at(700, 300);
    const QImage before = shot(s);
    send(s, ZT_MSG_RBUTTON_DOWN, at, 2);
    send(s, ZT_MSG_RBUTTON_UP, at, 2);
    QCOMPARE(s.state().overlay, SimUiState::Overlay::ContextMenu);
    const QImage open = shot(s);
    QVERIFY(differs(before, open, QRect(at + QPoint(20, 20), QSize(200, 200))));
    QVERIFY(!differs(before, open, QRect(at - QPoint(300, 200), QSize(200, 150))));

    const QRect single = controlRect(s, SimLayout::ContextItem + 1);
    QVERIFY(QRect(at, QSize(300, 400)).contains(single));
    send(s, ZT_MSG_MOUSE_MOVE, single.center(), 0);
    send(s, ZT_MSG_LBUTTON_DOWN, single.center());
    send(s, ZT_MSG_LBUTTON_UP, single.center());
    QCOMPARE(s.state().overlay, SimUiState::Overlay::None);
    QCOMPARE(s.state().viewCount, 1);

    // Near the bottom-right corner the menu stays on the display.
    send(s, ZT_MSG_RBUTTON_UP, QPoint(1910, 1000), 2);
    const SimLayout l(s.size(), s.state());
    QVERIFY(l.liveArea.contains(l.contextMenu));
}

void TestSimScreen::doubleClickShowsOneTileFullScreen()
{
    SimScreen s(QSize(1920, 1080));
    const QRect second = controlRect(s, SimLayout::Tile + 1);
    const QPoint at = second.center();
    // The client's order for a double click.
    for (uint32_t msg :
         {ZT_MSG_LBUTTON_DOWN, ZT_MSG_LBUTTON_UP, ZT_MSG_LBUTTON_DBLCLK, ZT_MSG_LBUTTON_UP})
        send(s, msg, at);
    QCOMPARE(s.state().fullChannel, 1);
    QCOMPARE(controlRect(s, SimLayout::Tile + 1), SimLayout(s.size(), s.state()).liveArea);
    for (uint32_t msg :
         {ZT_MSG_LBUTTON_DOWN, ZT_MSG_LBUTTON_UP, ZT_MSG_LBUTTON_DBLCLK, ZT_MSG_LBUTTON_UP})
        send(s, msg, QPoint(100, 100));
    QCOMPARE(s.state().fullChannel, -1);
}

void TestSimScreen::wheelScrollsTheMenuList()
{
    SimScreen s(QSize(1920, 1080));
    const QRect menu = controlRect(s, SimLayout::StatusMenu);
    send(s, ZT_MSG_LBUTTON_DOWN, menu.center());
    send(s, ZT_MSG_LBUTTON_UP, menu.center());
    QCOMPARE(s.state().overlay, SimUiState::Overlay::MainMenu);
    const QRect log = controlRect(s, SimLayout::MenuCategory + 3); // the long event list
    send(s, ZT_MSG_LBUTTON_DOWN, log.center());
    send(s, ZT_MSG_LBUTTON_UP, log.center());
    const SimLayout l(s.size(), s.state());
    const QImage top = shot(s);
    send(s, ZT_MSG_MOUSE_WHEEL, l.menuList.center(), RemoteCtrlWheelDown);
    QCOMPARE(s.state().listScroll, 3);
    const QImage scrolled = shot(s);
    QVERIFY(differs(top, scrolled, l.menuList));
    QVERIFY(!differs(top, scrolled, l.menuCategories.front().rect));
    for (int i = 0; i < 100; ++i)
        send(s, ZT_MSG_MOUSE_WHEEL, l.menuList.center(), RemoteCtrlWheelDown);
    QCOMPARE(s.state().listScroll, 120 - l.visibleRows);
    send(s, ZT_MSG_MOUSE_WHEEL, l.menuList.center(), RemoteCtrlWheelUp);
    QCOMPARE(s.state().listScroll, 117 - l.visibleRows);
    // A right click goes back to the live view.
    send(s, ZT_MSG_RBUTTON_UP, l.menuList.center(), 2);
    QCOMPARE(s.state().overlay, SimUiState::Overlay::None);
}

void TestSimScreen::hitTestingFollowsTheResolution()
{
    SimScreen s(QSize(1920, 1080));
    s.resize(QSize(1280, 1024));
    const QRect next = controlRect(s, SimLayout::StatusNext);
    QVERIFY(next.bottom() < 1024 && next.top() > 900);
    send(s, ZT_MSG_LBUTTON_DOWN, next.center());
    send(s, ZT_MSG_LBUTTON_UP, next.center());
    QCOMPARE(s.state().firstChannel, 4);
    // Far outside the display, as during a drag: the pointer stays on it.
    send(s, ZT_MSG_MOUSE_MOVE, QPoint(-5000, 99999), 1);
    QCOMPARE(s.state().cursor, QPoint(0, 1023));
    QCOMPARE(shot(s).size(), QSize(1280, 1024));
}

QTEST_GUILESS_MAIN(TestSimScreen)
#include "tst_simscreen.moc"
