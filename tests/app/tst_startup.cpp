// The start-up pieces: the application's key filter, the style sheet's
// skin path, the choice of language and translation file, the relaunch,
// and where a new window is placed.
#include "CGlobalApplication.h"
#include "HighDpiSetup.h"
#include "Relauncher.h"
#include "StartupFiles.h"
#include "WindowCentring.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Counts the key events that actually reach it.
class KeyCounter : public QLineEdit
{
public:
    int presses = 0;
    int releases = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        ++presses;
        QLineEdit::keyPressEvent(event);
    }
    void keyReleaseEvent(QKeyEvent *event) override
    {
        ++releases;
        QLineEdit::keyReleaseEvent(event);
    }
};

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void keyFilter_data();
    void keyFilter();
    void keyReleasesPass();
    void styleSheetSkinPath();
    void styleSheetMissing();
    void language_data();
    void language();
    void relaunchOnlyForRestartCode();
    void relaunchCommandQuotesPath();
    void centredOnItsScreen_data();
    void centredOnItsScreen();
    void xftDpiRead_data();
    void xftDpiRead();
};

void TestStartup::keyFilter_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("delivered");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
    QTest::newRow("Alt+Escape") << int(Qt::Key_Escape) << int(Qt::AltModifier) << false;
    QTest::newRow("Ctrl+Escape") << int(Qt::Key_Escape) << int(Qt::ControlModifier) << false;
    QTest::newRow("Alt+F4") << int(Qt::Key_F4) << int(Qt::AltModifier) << false;
    QTest::newRow("Alt+Shift+F4") << int(Qt::Key_F4) << int(Qt::AltModifier | Qt::ShiftModifier)
                                  << true;
    QTest::newRow("Ctrl+F4") << int(Qt::Key_F4) << int(Qt::ControlModifier) << true;
    QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier) << true;
    QTest::newRow("A") << int(Qt::Key_A) << int(Qt::NoModifier) << true;
}

void TestStartup::keyFilter()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, delivered);
    KeyCounter widget;
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    const bool result = QCoreApplication::sendEvent(&widget, &press);
    QCOMPARE(widget.presses, delivered ? 1 : 0);
    if (!delivered)
        QVERIFY(!result);
}

void TestStartup::keyReleasesPass()
{
    KeyCounter widget;
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &release);
    QKeyEvent altF4(QEvent::KeyRelease, Qt::Key_F4, Qt::AltModifier);
    QCoreApplication::sendEvent(&widget, &altF4);
    QCOMPARE(widget.releases, 2);
}

void TestStartup::styleSheetSkinPath()
{
    QTemporaryDir app;
    QVERIFY(QDir(app.path()).mkpath("skin"));
    writeFile(app.path() + "/skin/style.ss",
              "QWidget { image: url(@skinpath/icons/a.png); }\n"
              "QLabel { image: url(@SKINPATH/icons/b.png); } /* \xc3\xa9t\xc3\xa9 */\n");
    const QString sheet = StartupFiles::loadStyleSheet(app.path());
    QVERIFY(sheet.contains("url(" + app.path() + "/skin/icons/a.png)"));
    QVERIFY(sheet.contains("@SKINPATH/icons/b.png"));
    QVERIFY(!sheet.contains("@skinpath"));
    QVERIFY(sheet.contains(QString::fromUtf8("\xc3\xa9t\xc3\xa9")));
}

void TestStartup::styleSheetMissing()
{
    QTemporaryDir app;
    QVERIFY(StartupFiles::loadStyleSheet(app.path()).isEmpty());
}

void TestStartup::language_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    const QStringList none{"telvane"};
    const QStringList seven{"telvane", "0", "10.0.0.2", "", "34567", "admin", "", "Russian"};
    QTest::newRow("Russian") << "Russian" << none << "/translations/Quorvex_ru.qm";
    QTest::newRow("Portuguese") << "Portugues(Br)" << none << "/translations/telvane_pt.qm";
    QTest::newRow("English") << "English" << none << "";
    QTest::newRow("other") << "russian" << none << "";
    QTest::newRow("empty") << "" << none << "";
    QTest::newRow("seventh argument wins")
        << "Portugues(Br)" << seven << "/translations/Quorvex_ru.qm";
    QStringList six = seven.mid(0, 7);
    QTest::newRow("six arguments ignored")
        << "Portugues(Br)" << six << "/translations/telvane_pt.qm";
    QStringList eight = seven;
    eight << "extra";
    QTest::newRow("eight arguments ignored") << "" << eight << "";
}

void TestStartup::language()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    const QString language = StartupFiles::chooseLanguage(stored, arguments);
    const QString expected = file.isEmpty() ? QString() : "/app" + file;
    QCOMPARE(StartupFiles::translationFile("/app", language), expected);
}

void TestStartup::relaunchOnlyForRestartCode()
{
    QStringList started;
    Relauncher::setStarter([&started](const QString &command) {
        started << command;
        return true;
    });
    QVERIFY(!Relauncher::relaunchIfRequested(0));
    QVERIFY(!Relauncher::relaunchIfRequested(1));
    QVERIFY(!Relauncher::relaunchIfRequested(-1111));
    QVERIFY(started.isEmpty());
    QVERIFY(Relauncher::relaunchIfRequested(Relauncher::kRestartCode));
    QCOMPARE(started.size(), 1);
    Relauncher::setStarter(nullptr);
}

void TestStartup::relaunchCommandQuotesPath()
{
    const QString command = Relauncher::command();
    QCOMPARE(command, "\"" + QCoreApplication::applicationFilePath() + "\"");
}

void TestStartup::centredOnItsScreen_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("place");
    QTest::newRow("primary") << QRect(0, 0, 1600, 1000) << QSize(900, 600) << QPoint(350, 200);
    QTest::newRow("right of the primary")
        << QRect(1920, 0, 1280, 1024) << QSize(900, 600) << QPoint(2110, 212);
    QTest::newRow("above and left of it")
        << QRect(-1280, -1024, 1280, 1024) << QSize(550, 420) << QPoint(-915, -722);
    QTest::newRow("odd size, truncated")
        << QRect(0, 0, 1601, 1001) << QSize(550, 420) << QPoint(525, 290);
    // Its title bar stays on the screen.
    QTest::newRow("larger than the screen")
        << QRect(100, 0, 800, 600) << QSize(900, 700) << QPoint(100, 0);
}

void TestStartup::centredOnItsScreen()
{
    QFETCH(QRect, screen);
    QFETCH(QSize, window);
    QFETCH(QPoint, place);
    QCOMPARE(WindowCentring::centredIn(screen, window), place);
}

void TestStartup::xftDpiRead_data()
{
    QTest::addColumn<QByteArray>("resources");
    QTest::addColumn<int>("nDpi");
    QTest::newRow("none") << QByteArray("Xcursor.size:\t24\n") << 0;
    QTest::newRow("among others") << QByteArray("Xcursor.size:\t24\nXft.dpi:\t144\n") << 144;
    QTest::newRow("not a number") << QByteArray("Xft.dpi:\tlarge\n") << 0;
    QTest::newRow("another key") << QByteArray("Xft.dpix:\t144\n*dpi: 120") << 0;
}

void TestStartup::xftDpiRead()
{
    QFETCH(QByteArray, resources);
    QFETCH(int, nDpi);
    QCOMPARE(HighDpiSetup::xftDpi(resources), nDpi);
}

int main(int argc, char *argv[])
{
    CGlobalApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
