// Bad input at every door of the program: a Config.ini full of junk, absurd
// numbers or huge values, seven command-line arguments that make no sense, a
// P2P setting far longer than the SDK's buffer, and a Config.ini that cannot
// be written. Each must give the ordinary behaviour (defaults, a refused
// login) and never a crash or a hang.
#include "AppConfig.h"
#include "CLoginDlg.h"
#include "CMyIpAddrEdit.h"
#include "CTelvane.h"
#include "ConfigKeys.h"
#include "ModalAnswerer.h"
#include "SdkInitializer.h"
#include "SessionRig.h"
#include "SimProcess.h"
#include "StartupFiles.h"
#include "TestConfigDir.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

namespace {
QByteArray junk(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator rng(11);
    for (char &c : bytes)
        c = char(rng.bounded(256));
    return bytes;
}

QString field(CLoginDlg &dialog, const char *name)
{
    auto *edit = dialog.findChild<QLineEdit *>(name);
    return edit ? edit->text() : QStringLiteral("<missing>");
}
} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void configJunk_data();
    void configJunk();
    void sevenBadArguments_data();
    void sevenBadArguments();
    void hugeP2PSetting();
    void unwritableConfig();
};

void TestBadInput::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QString error;
    QVERIFY2(SessionRig::bindSdks(error), qPrintable(error));
}

void TestBadInput::configJunk_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("port");
    QTest::newRow("binary junk") << junk(64 * 1024) << "34567";
    QTest::newRow("junk in a section")
        << QByteArray("[RemoteCtrlDevInfo]\nPort=") + junk(300) + "\nIP=\xff\xfe\x00\x01\n"
        << "0";
    QTest::newRow("absurd numbers")
        << QByteArray("[RemoteCtrlSystem]\nLoginType=2147483648\nSaveInfo=-1\nAutoLogin=1e308\n"
                      "[RemoteCtrlDevInfo]\nPort=99999999999999999999\nEncrypt=-0\n"
                      "EncryptCode=-9223372036854775809\n")
        << "0";
    QTest::newRow("very long values")
        << QByteArray("[RemoteCtrlDevInfo]\nUserName=") + QByteArray(1 << 20, 'u') +
               "\nPassword=" + QByteArray(1 << 20, ';') + "\nIP=" + QByteArray(1 << 16, '9') +
               "\n[RemoteCtrlTheme]\nSolution=" + QByteArray(1 << 16, 'R') + "\n"
        << "34567";
}

void TestBadInput::configJunk()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, port);
    TestConfigDir dir;
    dir.writeRaw(contents);
    CLoginDlg dialog;
    QCOMPARE(field(dialog, "lineEditPort"), port);
    // The editor takes only a whole address; anything else leaves it empty.
    auto *ipEdit = dialog.findChild<CMyIpAddrEdit *>("lineEditIP");
    QVERIFY(ipEdit);
    const QString ip = ipEdit->text();
    QVERIFY2(ip == "..." || ip == "192.168.1.10", qPrintable(ip.left(40)));
    const QString language =
        StartupFiles::chooseLanguage(AppConfig::readText(ConfigKeys::kLanguage, ""), {});
    QVERIFY(
        StartupFiles::translationFile(QCoreApplication::applicationDirPath(), language).isEmpty());
    QFile file(dir.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), contents); // reading never rewrites the file
}

void TestBadInput::sevenBadArguments_data()
{
    QTest::addColumn<QStringList>("args");
    const QString huge(1 << 20, QChar('9'));
    QTest::newRow("all empty") << QStringList{"", "", "", "", "", "", ""};
    QTest::newRow("non-numeric") << QStringList{"ip", "a.b.c.d", "x", "port", "admin", "", "?"};
    QTest::newRow("port out of range")
        << QStringList{"0", "127.0.0.1", "", "99999999999", "admin", "", "English"};
    QTest::newRow("negative type, port 65536+")
        << QStringList{"-1", "127.0.0.1", "", "65536", "admin", "", "English"};
    QTest::newRow("huge") << QStringList{huge, huge, huge, huge, huge, huge, huge};
    QTest::newRow("huge cloud serial")
        << QStringList{"1", "127.0.0.1", huge, "0", "admin", "", "Russian"};
    QTest::newRow("huge user to a live recorder")
        << QStringList{"0", "127.0.0.1", "", "<sim>", huge, huge, "English"};
}

void TestBadInput::sevenBadArguments()
{
    QFETCH(QStringList, args);
    TestConfigDir dir;
    dir.writeRaw("[RemoteCtrlSystem]\nSaveInfo=1\n");
    SimProcess sim;
    QVERIFY(sim.start());
    args.replaceInStrings("<sim>", QString::number(sim.port()));

    // What start-up does with seven arguments.
    const QString language = StartupFiles::chooseLanguage("", QStringList{"telvane"} + args);
    StartupFiles::translationFile(QCoreApplication::applicationDirPath(), language);
    CTelvane window;
    CLoginDlg dialog;
    dialog.setLoginInfo(args[0], args[1], args[2], args[3], args[4], args[5], args[6]);
    ModalAnswerer answerer;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!dialog.onLoginDevice());
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString("took %1 ms").arg(clock.elapsed())));
    QVERIFY(answerer.texts().isEmpty());
    QVERIFY(dialog.loginResult().nLoginHandle <= 0);
    // The language is stored as given; one longer than any value the
    // program uses reads back as absent.
    QCOMPARE(AppConfig::readText(ConfigKeys::kLanguage, ""),
             args[6].size() > 1024 ? QString() : args[6]);
}

void TestBadInput::hugeP2PSetting()
{
    TestConfigDir dir;
    const QByteArray setting = "127.0.0.1" + QByteArray(10000 - 9, '7');
    dir.writeRaw("[SeverSet]\nSeverIp=" + setting + "\n");
    const QByteArray address = SdkInitializer::p2pServerAddress(QString::fromLatin1(setting));
    const QByteArray text(address.constData());
    QVERIFY(text.size() < int(tvsdk::kP2PServerBufferSize));
    QVERIFY(setting.startsWith(text) || text == "127.0.0.1");
    CTelvane window; // initialises the SDK; a setting this long reads as none
    QCOMPARE(AppConfig::readText(ConfigKeys::kP2PServer, ""), QString());
}

void TestBadInput::unwritableConfig()
{
    // A directory where the file should be: every write fails, as it does in
    // a read-only application directory (root would write through mode bits).
    TestConfigDir dir;
    QVERIFY(QDir().mkpath(dir.filePath()));
    SimProcess sim;
    QVERIFY(sim.start());
    CTelvane window;
    ModalAnswerer answerer;
    QVERIFY(SessionRig::openSession(sim.port(), window));
    QMetaObject::invokeMethod(&window, "onExit", Qt::QueuedConnection);
    qint64 elapsed = 0;
    QCOMPARE(SessionRig::runUntilExit(5000, elapsed), 1111);
    QVERIFY(answerer.texts().isEmpty());
    QCOMPARE(AppConfig::readInt(ConfigKeys::kAutoLogin, 5), 5);
}

QTEST_MAIN(TestBadInput)
#include "tst_bad_input.moc"
