// recorder-sim: a headless recorder for the remote-control client and its
// tests. See --help, and docs/simulator.md.
#include "P2PService.h"
#include "RecorderServer.h"
#include "SimLog.h"
#include "SimOptions.h"
#include "StdinControl.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

void announce(const char *what, const QHostAddress &address, quint16 port)
{
    std::printf("%s %s:%u\n", what, address.toString().toUtf8().constData(), unsigned(port));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    app.setApplicationName("recorder-sim");
    SimOptions options;
    QString error;
    bool exitNow = false;
    if (!options.parse(app.arguments(), error, exitNow)) {
        std::fprintf(exitNow ? stdout : stderr, "%s\n", error.toUtf8().constData());
        return exitNow ? 0 : 2;
    }
    RecorderServer server(options);
    if (!server.listen(error)) {
        SimLog::error("cannot listen: " + error);
        return 1;
    }
    P2PService p2p(options.serial, server.address(), server.port(), options.loginTimeoutMs,
                   options.maxConnections);
    if (options.p2pEnabled && !p2p.listen(options.p2pAddress, options.p2pPort, error)) {
        SimLog::error("cannot listen for P2P: " + error);
        return 1;
    }
    StdinControl control;
    QObject::connect(&control, &StdinControl::resolutionRequested, &server,
                     &RecorderServer::setResolution);
    SimLog::info(QString("recorder %1, display %2x%3 at %4 fps")
                     .arg(options.serial)
                     .arg(options.width)
                     .arg(options.height)
                     .arg(options.fps));
    announce("listening", server.address(), server.port());
    if (options.p2pEnabled)
        announce("p2p-listening", p2p.address(), p2p.port());
    return app.exec();
}
