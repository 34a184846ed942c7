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
    void serializedValuesLeaveTheFileAlone_data();
    void serializedValuesLeaveTheFileAlone();
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

// The INI reader deserializes "@Variant(...)" and "@DateTime(...)" values,
// and a damaged one crashes the toolkit: however the form is spelt, such a
// file reads as absent and is not written to. Other text still reads.
void TestAppConfig::serializedValuesLeaveTheFileAlone_data()
{
    QTest::addColumn<QByteArray>("ip");
    QTest::addColumn<bool>("usable");
    // Raw INI text: "\0" is the two characters the reader unescapes.
    // A fuzzer's find: the toolkit asked for 2^64 bytes or crashed on it.
    QTest::newRow("crashing object") << QByteArray(R"ini(@Variant(\0\0\0\xMMMMMMMMMMMMMMMM)ini"
                                                   R"ini(MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM7f)ini"
                                                   R"ini(\0\0\DFMingByteArray))ini")
                                     << false;
    QTest::newRow("plain") << QByteArray(R"ini(@Variant(\0\0\0\x2\0\0\0\x1))ini") << false;
    QTest::newRow("date") << QByteArray(R"ini(@DateTime(\0\0\0\x10))ini") << false;
    QTest::newRow("quoted") << QByteArray(R"ini("@Variant(\0\0\0\x2)")ini") << false;
    QTest::newRow("hex at sign") << QByteArray(R"ini(\x40Variant(\0))ini") << false;
    QTest::newRow("wide hex at sign") << QByteArray(R"ini(\x10040Variant(\0))ini") << false;
    QTest::newRow("octal at sign") << QByteArray(R"ini(\100Variant(\0))ini") << false;
    QTest::newRow("list item") << QByteArray(R"ini(1, @Variant(\0))ini") << false;
    QTest::newRow("continued line") << QByteArray("@Vari\\\nant(\\0)") << false;
    QTest::newRow("no at sign") << QByteArray("Variant(1)") << true;
    QTest::newRow("escaped text") << QByteArray(R"ini("1\x2e2")ini") << true;
}

void TestAppConfig::serializedValuesLeaveTheFileAlone()
{
    QFETCH(QByteArray, ip);
    QFETCH(bool, usable);
    TestConfigDir dir;
    const QByteArray contents = "[RemoteCtrlDevInfo]\nUserName=someone\nIP=" + ip + "\n";
    dir.writeRaw(contents);
    QCOMPARE(AppConfig::readText(kUserName, kDefaultUserName), usable ? "someone" : "admin");
    AppConfig::readText(kIp, kDefaultIp);
    AppConfig::writeSynced(kAutoLogin, 0);
    QFile file(dir.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll() == contents, !usable);
}

QTEST_GUILESS_MAIN(TestAppConfig)
#include "tst_appconfig.moc"
