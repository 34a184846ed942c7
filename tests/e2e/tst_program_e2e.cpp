// The program itself, started as a user starts it: seven arguments log it
// in silently against the simulator and start the live picture; the wrong
// number of arguments does not.
#include "SimProcess.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestProgramE2E : public QObject
{
    Q_OBJECT
private slots:
    void sevenArgumentsLogInSilently();
    void sixArgumentsAreIgnored();

private:
    // A copy of the application directory, so that the program's own
    // Config.ini is private to this test.
    bool makeAppDir(QTemporaryDir &dir);
};

bool TestProgramE2E::makeAppDir(QTemporaryDir &dir)
{
    const QString from = QCoreApplication::applicationDirPath();
    for (const char *file : {"telvane", "libNetSDK.so", "libH264Play.so"})
        if (!QFile::copy(from + "/" + file, dir.filePath(file)))
            return false;
    return true;
}

void TestProgramE2E::sevenArgumentsLogInSilently()
{
    SimProcess sim;
    QVERIFY(sim.start());
    QTemporaryDir dir;
    QVERIFY(makeAppDir(dir));
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(dir.filePath("telvane"),
                  {"0", "127.0.0.1", "", QString::number(sim.port()), "admin", "", "English"});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("started, stream"), 15000);
    QVERIFY(sim.log().contains("login of \"admin\" (by address) accepted"));
    program.terminate();
    QVERIFY(program.waitForFinished(10000));
}

void TestProgramE2E::sixArgumentsAreIgnored()
{
    SimProcess sim;
    QVERIFY(sim.start());
    QTemporaryDir dir;
    QVERIFY(makeAppDir(dir));
    QProcess program;
    program.start(dir.filePath("telvane"),
                  {"0", "127.0.0.1", "", QString::number(sim.port()), "admin", ""});
    QVERIFY(program.waitForStarted());
    // The dialog waits for the user; nothing reaches the recorder.
    QVERIFY(!program.waitForFinished(2000));
    QVERIFY(!sim.log().contains("connection from"));
    program.kill();
    program.waitForFinished();
}

QTEST_GUILESS_MAIN(TestProgramE2E)
#include "tst_program_e2e.moc"
