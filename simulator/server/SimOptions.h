#pragma once
// The simulator's command line.

#include <QHostAddress>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

struct SimOptions
{
    QHostAddress listenAddress{QHostAddress::LocalHost};
    quint16 listenPort = 34567;
    bool p2pEnabled = false;
    QHostAddress p2pAddress{QHostAddress::LocalHost};
    quint16 p2pPort = 34568;
    QString serial = "7f3a9c2e41b8d605";
    QMap<QString, QString> users;  // name -> password
    QMap<QString, int> userStates; // name -> refusal code
    bool remoteControl = true;
    bool agent = false;
    bool requireLoginCode = false;
    int loginCode = 0;
    int width = 1920;
    int height = 1080;
    int fps = 25;
    int channelsA = 4;
    int channelsB = 4;
    QString commandLog;
    int dropAfterSec = -1;
    int hangAfterSec = -1;
    bool refuseRealPlay = false;
    QSet<int> failConfig;
    int loginTimeoutMs = 10000; // for a connection to log in (or a P2P query)
    int idleTimeoutMs = 60000;  // for a logged-in session to send anything
    int maxConnections = 32;
    // As many viewers as the server's media budget gives a picture's room
    // each (ViewerHub::kMediaBudget over ViewerFeed::kMinQueuedMedia).
    static constexpr int kMaxConnections = 128;
    bool fixedRate = false; // a stream that does not adapt to slow paths
    QString pictureTrace;   // a file for the display's trace, for benchmarks

    // False with a message for a bad command line; `exitNow` is set for
    // --help (the text is in `error` then).
    bool parse(const QStringList &arguments, QString &error, bool &exitNow);
    static bool parseAddress(const QString &text, QHostAddress &address, quint16 &port);
    static int stateCode(const QString &state);
    static bool parseSize(const QString &text, int &width, int &height);
};
