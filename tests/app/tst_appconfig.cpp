// Config.ini: defaults with no file, the settings class's conversions, and
// values that must survive a round trip through the INI format unchanged.
#include "AppConfig.h"
#include "ConfigKeys.h"
#include "TestConfigDir.h"

#include <QFile>
#include <QTest>

using namespace ConfigKeys;

class TestAppConfig : public QObject
{
    Q_OBJECT
private slots:
    void defaultsWithoutFile();
    void fileBesideExecutable();
    void nonNumericReadsZero();
    void oversizedTextReadsAsDefault();
    void passwordRoundTrip_data();
    void passwordRoundTrip();
    void syncedWriteIsOnDisk();
};

void TestAppConfig::defaultsWithoutFile()
{
    TestConfigDir dir;
    QCOMPARE(AppConfig::readInt(kLoginType, kDefaultLoginType), 0);
    QCOMPARE(AppConfig::readInt(kSaveInfo, kDefaultSaveInfo), 0);
    QCOMPARE(AppConfig::readInt(kAutoLogin, kDefaultAutoLogin), 0);
    QCOMPARE(AppConfig::readText(kLanguage, kDefaultLanguage), QString());
    QCOMPARE(AppConfig::readInt(kPort, kDefaultPort), 34567);
    QCOMPARE(AppConfig::readText(kIp, kDefaultIp), QString("192.168.1.10"));
    QCOMPARE(AppConfig::readText(kUserName, kDefaultUserName), QString("admin"));
    QCOMPARE(AppConfig::readText(kPassword, kDefaultPassword), QString());
    QCOMPARE(AppConfig::readText(kP2PServer, kDefaultP2PServer), QString());
    QVERIFY(!QFile::exists(dir.filePath()));
}

void TestAppConfig::fileBesideExecutable()
{
    AppConfig::setDirectoryOverride(QString());
    QCOMPARE(AppConfig::filePath(), QCoreApplication::applicationDirPath() + "/Config.ini");
}

void TestAppConfig::nonNumericReadsZero()
{
    TestConfigDir dir;
    dir.writeRaw("[RemoteCtrlDevInfo]\nPort=abc\n[SeverSet]\nSeverIp=p2p.example.net\n");
    QCOMPARE(AppConfig::readInt(kPort, kDefaultPort), 0);
    // The leading slash of this one key carries no meaning.
    QCOMPARE(AppConfig::readText(kP2PServer, kDefaultP2PServer), QString("p2p.example.net"));
}

void TestAppConfig::oversizedTextReadsAsDefault()
{
    TestConfigDir dir;
    dir.writeRaw("[RemoteCtrlDevInfo]\nUserName=" + QByteArray(1500 * 1024, 'u') +
                 "\nIP=" + QByteArray(1025, '1') + "\nPassword=" + QByteArray(1024, 'p') + "\n");
    QCOMPARE(AppConfig::readText(kUserName, kDefaultUserName), QString("admin"));
    QCOMPARE(AppConfig::readText(kIp, kDefaultIp), QString("192.168.1.10"));
    QCOMPARE(AppConfig::readText(kPassword, kDefaultPassword), QString(1024, 'p'));
}

void TestAppConfig::passwordRoundTrip_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("semicolon") << "pa;ss";
    QTest::newRow("equals") << "a=b";
    QTest::newRow("hash") << "#secret";
    QTest::newRow("quotes") << "\"q\" 'r'";
    QTest::newRow("leading space") << " lead";
    QTest::newRow("backslash") << "C:\\x\\";
    QTest::newRow("non-ASCII") << QString::fromUtf8("пароль-ção");
    QTest::newRow("comma list") << "a,b,c";
}

void TestAppConfig::passwordRoundTrip()
{
    QFETCH(QString, password);
    TestConfigDir dir;
    AppConfig::write(kPassword, password);
    AppConfig::write(kUserName, "admin");
    QCOMPARE(AppConfig::readText(kPassword, kDefaultPassword), password);
}

void TestAppConfig::syncedWriteIsOnDisk()
{
    TestConfigDir dir;
    AppConfig::writeSynced(kLanguage, "Russian");
    QFile file(dir.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray contents = file.readAll();
    QVERIFY(contents.contains("[RemoteCtrlTheme]"));
    QVERIFY(contents.contains("Solution=Russian"));
}

QTEST_GUILESS_MAIN(TestAppConfig)
#include "tst_appconfig.moc"
