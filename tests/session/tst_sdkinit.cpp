// SDK initialisation against the recording double: which calls happen in
// which order, what the P2P server call receives, and the identity record.
#include "ConfigKeys.h"
#include "FakeSdk.h"
#include "SdkInitializer.h"
#include "TestConfigDir.h"

#include <QRegularExpression>
#include <QTest>

namespace {
void dummyDisconnect(int, char *, int, void *) {}

QByteArray serverSent(const FakeSdk &sdk)
{
    const QList<FakeSdkCall> calls = sdk.callsOf(FakeSdkCall::Net, tvsdk::NetOrdSetP2PServer);
    return calls.size() == 1 ? calls.first().args.at(1).toByteArray() : QByteArray("<none>");
}

// The server buffer the SDK reads: the text, then zeros up to 64 bytes.
QByteArray serverBuffer(const QByteArray &text)
{
    return text + QByteArray(64 - text.size(), '\0');
}
} // namespace

class TestSdkInit : public QObject
{
    Q_OBJECT
private slots:
    void noServer_data();
    void noServer();
    void dottedAddressAsWritten();
    void hostNameResolved();
    void unresolvableNameUnchanged();
    void longValues_data();
    void longValues();
    void identityRecord();
    void resultsDoNotStopTheSequence();
};

void TestSdkInit::noServer_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("empty value") << QByteArray("[SeverSet]\nSeverIp=\n");
}

void TestSdkInit::noServer()
{
    QFETCH(QByteArray, file);
    TestConfigDir dir;
    if (!file.isEmpty())
        dir.writeRaw(file);
    FakeSdk sdk;
    int user = 0;
    SdkInitializer::run(dummyDisconnect, &user);
    QCOMPARE(sdk.sequence(), QStringList({"N52", "N21", "N141"}));
    const FakeSdkCall init = sdk.calls().at(0);
    QCOMPARE(init.args.at(1).value<quintptr>(), reinterpret_cast<quintptr>(&user));
    QCOMPARE(sdk.calls().at(1).args.at(0).toInt(), 1);
}

void TestSdkInit::dottedAddressAsWritten()
{
    TestConfigDir dir;
    dir.writeRaw("[SeverSet]\nSeverIp=10.20.30.40\n");
    FakeSdk sdk;
    QTest::ignoreMessage(QtDebugMsg, "Init P2P Address 10.20.30.40");
    QTest::ignoreMessage(QtDebugMsg, "H264_DVR_Init true");
    QTest::ignoreMessage(QtDebugMsg, " H264_DVR_InitAppInfo Err=0");
    SdkInitializer::run(dummyDisconnect, nullptr);
    QCOMPARE(sdk.sequence(), QStringList({"N137", "N52", "N21", "N141"}));
    const FakeSdkCall p2p = sdk.calls().at(0);
    QCOMPARE(p2p.args.at(0).toInt(), 0);
    QCOMPARE(p2p.args.at(1).toByteArray(), QByteArray("10.20.30.40"));
    QCOMPARE(p2p.args.at(2).toInt(), 0);
}

void TestSdkInit::hostNameResolved()
{
    QTest::ignoreMessage(QtDebugMsg, "Domain P2P Address Convert 127.0.0.1");
    QCOMPARE(SdkInitializer::p2pServerAddress("localhost"), serverBuffer("127.0.0.1"));
}

void TestSdkInit::unresolvableNameUnchanged()
{
    TestConfigDir dir;
    dir.writeRaw("[SeverSet]\nSeverIp=no-such-host.invalid\n");
    FakeSdk sdk;
    QTest::ignoreMessage(QtDebugMsg, "Domain P2P Address Convert no-such-host.invalid");
    SdkInitializer::run(dummyDisconnect, nullptr);
    QCOMPARE(serverSent(sdk), QByteArray("no-such-host.invalid"));
}

void TestSdkInit::longValues_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("sent");
    QTest::newRow("12 padded") << 12 << 12;
    QTest::newRow("63 fits") << 63 << 63;
    QTest::newRow("64 cut") << 64 << 63;
    QTest::newRow("200 cut") << 200 << 63;
}

void TestSdkInit::longValues()
{
    QFETCH(int, length);
    QFETCH(int, sent);
    // Names that cannot resolve, so the text itself is what the SDK gets.
    const QString value = QString(length - 8, 'a') + ".invalid";
    if (length > sent)
        QTest::ignoreMessage(QtDebugMsg, "P2P server address cut to 63 bytes");
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Domain P2P Address Convert a+"));
    const QByteArray address = SdkInitializer::p2pServerAddress(value);
    QCOMPARE(address, serverBuffer(value.left(sent).toLocal8Bit()));
}

void TestSdkInit::identityRecord()
{
    TestConfigDir dir;
    FakeSdk sdk;
    SdkInitializer::run(dummyDisconnect, nullptr);
    const QByteArray record =
        sdk.callsOf(FakeSdkCall::Net, tvsdk::NetOrdSetAppInfo).first().args.at(0).toByteArray();
    QCOMPARE(record.size(), 196);
    const QRegularExpression hex("^[0-9a-f]{32}$");
    QSet<QByteArray> keys;
    for (int field : {0, 64, 128}) {
        const QByteArray key = record.mid(field, 32);
        QVERIFY2(hex.match(QString::fromLatin1(key)).hasMatch(), key.constData());
        QCOMPARE(record.mid(field + 32, 32), QByteArray(32, '\0'));
        keys.insert(key);
    }
    QCOMPARE(keys.size(), 3);
    QCOMPARE(record.mid(192, 4), QByteArray("\x01\x00\x00\x00", 4));
}

void TestSdkInit::resultsDoNotStopTheSequence()
{
    TestConfigDir dir;
    dir.writeRaw("[SeverSet]\nSeverIp=10.0.0.9\n");
    FakeSdk sdk;
    sdk.setResult(FakeSdkCall::Net, tvsdk::NetOrdSetP2PServer, -1);
    sdk.setResult(FakeSdkCall::Net, tvsdk::NetOrdInit, 0);
    sdk.setResult(FakeSdkCall::Net, tvsdk::NetOrdSetAppInfo, -5);
    QTest::ignoreMessage(QtDebugMsg, "Init P2P Address 10.0.0.9");
    QTest::ignoreMessage(QtDebugMsg, "H264_DVR_Init false");
    QTest::ignoreMessage(QtDebugMsg, " H264_DVR_InitAppInfo Err=-5");
    SdkInitializer::run(dummyDisconnect, nullptr);
    QCOMPARE(sdk.sequence(), QStringList({"N137", "N52", "N21", "N141"}));
}

QTEST_GUILESS_MAIN(TestSdkInit)
#include "tst_sdkinit.moc"
