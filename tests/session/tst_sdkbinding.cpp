// The binding by ordinal refuses, with a clear message, a library that is
// missing or lacks an ordinal, and never leaves a null pointer in the table.
#include "SdkBinding.h"

#include <QTemporaryDir>
#include <QTest>

class TestSdkBinding : public QObject
{
    Q_OBJECT
private slots:
    void missingLibraryNamesIt();
    void missingOrdinalNamesIt();
};

void TestSdkBinding::missingLibraryNamesIt()
{
    QTemporaryDir empty;
    SdkApi api;
    std::string error;
    QVERIFY(!SdkBinding::bind(empty.path().toStdString(), api, error));
    QVERIFY2(
        QString::fromStdString(error).startsWith("cannot load " + empty.path() + "/libNetSDK.so"),
        error.c_str());
    QVERIFY(!api.init);
}

void TestSdkBinding::missingOrdinalNamesIt()
{
    const QString dir = QCoreApplication::applicationDirPath() + "/test-stubs/missing-ordinal";
    SdkApi api;
    std::string error;
    QVERIFY(!SdkBinding::bind(dir.toStdString(), api, error));
    QCOMPARE(QString::fromStdString(error), QString("libNetSDK.so: ordinal 92 is missing"));
    QVERIFY(!api.sendJson && !api.init);
}

QTEST_GUILESS_MAIN(TestSdkBinding)
#include "tst_sdkbinding.moc"
