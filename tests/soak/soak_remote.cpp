// soak_remote [SECONDS]: a whole session against the simulator under random
// mouse input at a high rate. Every command the client hands to the SDK is
// recorded; at the end the simulator's command log must hold exactly those
// texts, in order, and the client's resident memory must not have grown
// after its first minute. Prints the figures; exits 1 when either fails.
#include "CTelvane.h"
#include "CVideoFrame.h"
#include "SdkApi.h"
#include "SessionRig.h"
#include "SimProcess.h"
#include "SoakMouse.h"
#include "TestConfigDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {
// What was sent goes to a file, so that the record adds nothing to the
// memory being watched.
QFile *g_sent = nullptr;
qint64 g_sentCount = 0, g_failed = 0;
tvsdk::FnSendJson g_realSend = nullptr;

int recordingSend(int handle, const char *name, int msgId, int channel, const char *json,
                  int length, int timeoutMs)
{
    const int r = g_realSend(handle, name, msgId, channel, json, length, timeoutMs);
    if (r > 0) {
        g_sent->write(json, length);
        ++g_sentCount;
    } else {
        ++g_failed;
    }
    return r;
}

long residentKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    QString error;
    if (!SessionRig::bindSdks(error))
        return std::fprintf(stderr, "soak: %s\n", qPrintable(error)), 2;
    g_realSend = sdkApi().sendJson;
    sdkApi().sendJson = recordingSend;

    TestConfigDir dir;
    QTemporaryDir logDir;
    const QString log = logDir.filePath("commands.log");
    SimProcess sim;
    sim.setLogFile(logDir.filePath("simulator.log"));
    if (!sim.start({"--command-log", log}))
        return std::fprintf(stderr, "soak: the simulator did not start\n"), 2;
    QFile sentFile(logDir.filePath("sent.log"));
    if (!sentFile.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return std::fprintf(stderr, "soak: cannot record\n"), 2;
    g_sent = &sentFile;
    CTelvane window;
    if (!SessionRig::openSession(sim.port(), window))
        return std::fprintf(stderr, "soak: no session\n"), 2;

    SoakMouse mouse(window.findChild<CVideoFrame *>(), 20261208);
    QTimer input;
    QObject::connect(&input, &QTimer::timeout, [&] {
        for (int i = 0; i < 4; ++i)
            mouse.step();
    });
    input.start(5);
    QVector<long> rss;
    QElapsedTimer clock;
    clock.start();
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] {
        rss.append(residentKb());
        std::printf("%4llds  rss %ld kB  events %lld  commands %lld\n", clock.elapsed() / 1000,
                    rss.last(), mouse.events(), g_sentCount);
        std::fflush(stdout);
        if (clock.elapsed() >= seconds * 1000LL)
            app.exit(0);
    });
    sample.start(10000);
    const int code = app.exec();
    input.stop();
    sentFile.close();
    QByteArray sent;
    if (sentFile.open(QIODevice::ReadOnly))
        sent = sentFile.readAll();

    // Let the last commands land in the log before comparing.
    QByteArray logged;
    QElapsedTimer settle;
    settle.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QFile file(log);
        logged = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    } while (logged.size() < sent.size() && settle.elapsed() < 5000);

    const long baseline = rss.size() > 6 ? rss[6] : rss.value(0);
    const long growth = rss.isEmpty() ? 0 : rss.last() - baseline;
    const bool sameCommands = !sent.isEmpty() && logged == sent;
    const bool flat = growth < 2 * 1024;
    std::printf("soak: %d s, %lld mouse events, %lld commands sent (%lld failed), %lld logged, "
                "log %s; rss at 1 min %ld kB, at end %ld kB, growth %ld kB (%s)\n",
                seconds, mouse.events(), g_sentCount, g_failed, qint64(logged.count("\"msg\"")),
                sameCommands ? "identical" : "DIFFERS", baseline, rss.value(rss.size() - 1), growth,
                flat ? "flat" : "GROWING");
    const bool passed = code == 0 && sameCommands && flat && g_failed == 0;
    if (!passed) {
        // What was sent, what arrived and what the simulator said explain a
        // failure; keep them.
        logDir.setAutoRemove(false);
        std::printf("soak: records kept in %s\n", qPrintable(logDir.path()));
    }
    return passed ? 0 : 1;
}
