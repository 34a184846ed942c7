// The message box on a real X server: keys reach it through the window
// system, and the veil covers the window the box belongs to, darkened, even
// when that window has not reached the screen yet or is not the active one.
#include "CGlobalApplication.h"
#include "CMessageBox.h"
#include "MessageBoxDriver.h"
#include "StartupFiles.h"
#include "WindowTranslucency.h"
#include "XInput.h"

#include <QFrame>
#include <QPushButton>
#include <QtTest>

namespace {
QFrame *openBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("CMessageBox") && widget->isVisible())
            return qobject_cast<QFrame *>(widget);
    return nullptr;
}

// A white window with a red block in its top-left corner.
void paintTestWindow(QWidget &window)
{
    window.setStyleSheet("background: white");
    auto *block = new QWidget(&window);
    block->setStyleSheet("background: red");
    block->setGeometry(0, 0, 100, 100);
    window.setGeometry(40, 30, 500, 320);
}
} // namespace

class TestMessageBoxInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void keysAnswer_data();
    void keysAnswer();
    void veilShowsTheWindowItCovers_data();
    void veilShowsTheWindowItCovers();
};

void TestMessageBoxInput::initTestCase()
{
    qApp->setStyleSheet(StartupFiles::loadStyleSheet(QCoreApplication::applicationDirPath()));
    WindowTranslucency::force(false); // Xvfb runs no compositor
}

void TestMessageBoxInput::keysAnswer_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("nResult");
    QTest::newRow("Return: the first, focused") << QStringList{"Return"} << 0;
    QTest::newRow("keypad Enter on the second") << QStringList{"Tab", "KP_Enter"} << 1;
    QTest::newRow("Space") << QStringList{"space"} << 0;
    QTest::newRow("Escape ignored, Return on the second")
        << QStringList{"Escape", "Tab", "Return"} << 1;
}

void TestMessageBoxInput::keysAnswer()
{
    QFETCH(QStringList, keys);
    QFETCH(int, nResult);
    QWidget window;
    window.setGeometry(40, 30, 500, 320);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bool bTyped = false;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(openBox() && QApplication::focusWidget());
        for (const QString &key : keys)
            QVERIFY(XInput::key(key));
        bTyped = true;
    });
    QTimer::singleShot(5000, [] { // never hang the suite on a box that ignores keys
        if (QFrame *box = openBox())
            box->parentWidget()->close();
    });
    QCOMPARE(CMessageBox::question(&window, "Prompt", "Go on?", "Yes", "No"), nResult);
    QVERIFY(bTyped);
}

void TestMessageBoxInput::veilShowsTheWindowItCovers_data()
{
    QTest::addColumn<bool>("bPainted");
    QTest::addColumn<bool>("bPassParent");
    QTest::newRow("shown a moment ago, never painted") << false << true;
    QTest::newRow("no active window: the visible one") << true << false;
}

void TestMessageBoxInput::veilShowsTheWindowItCovers()
{
    QFETCH(bool, bPainted);
    QFETCH(bool, bPassParent);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    paintTestWindow(window);
    window.show();
    if (bPainted)
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!QApplication::activeWindow()); // no window manager gives focus
    MessageBoxDriver driver(0);
    CMessageBox::information(bPassParent ? &window : QApplication::activeWindow(), "Prompt",
                             "Device Disconnect", "OK");
    QCOMPARE(driver.seen.veilGeometry, window.geometry());
    for (const auto &[at, under] : {std::pair{QPoint(50, 50), QColor(Qt::red)},
                                    std::pair{QPoint(300, 200), QColor(Qt::white)}}) {
        const QColor seen = driver.seen.veilPicture.pixelColor(at);
        QVERIFY2(qAbs(seen.red() - under.red() / 2) <= 1 &&
                     qAbs(seen.green() - under.green() / 2) <= 1,
                 qPrintable(seen.name()));
    }
}

int main(int argc, char *argv[])
{
    CGlobalApplication app(argc, argv); // the program's key filter
    TestMessageBoxInput test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_messagebox_input.moc"
