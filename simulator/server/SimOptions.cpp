#include "SimOptions.h"

#include "SdkDefs.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <utility>

using namespace tvsdk;

namespace {

// The refusals --user-state names, in the order --help lists them.
const std::pair<const char *, int> kStates[] = {
    {"locked", ErrUserLocked},      {"blacklisted", ErrUserInBlacklist},
    {"reserved", ErrUserReserved},  {"no-power", ErrNoPower},
    {"not-found", ErrUserNotExist}, {"logged-in", ErrUserAlreadyLogged},
    {"password", ErrPasswordWrong},
};

QString statesText()
{
    QStringList states;
    for (const auto &[name, code] : kStates)
        states << QString("%1 (%2)").arg(name).arg(code);
    return states.join(", ") + " or any negative code";
}

QString configCommandsText()
{
    return QString("%1 or %2").arg(kCmdSystemFunction).arg(kCmdDisplayResolution);
}

QList<QCommandLineOption> optionList()
{
    return {
        {"listen", "Recorder address (default 127.0.0.1:34567; port 0 picks one).", "ADDR:PORT"},
        {"p2p-listen", "Run the P2P service there (off unless given).", "ADDR:PORT"},
        {"serial", "Cloud serial number (default 7f3a9c2e41b8d605).", "SN"},
        {"user", "Account (repeatable; default admin with an empty password).", "NAME:PASSWORD"},
        {"user-state", QString("Refuse NAME's logins: STATE is %1.").arg(statesText()),
         "NAME:STATE"},
        {"no-remote-control",
         QString("Report no remote-control support (byte %1 of command %2 is 0).")
             .arg(SystemFunction::kRemoteCtrlFlag)
             .arg(kCmdSystemFunction)},
        {"agent", QString("Cloud logins succeed with last error %1.").arg(kErrorAgentLogin)},
        {"require-login-code",
         QString("Refuse logins without login code N (%1).").arg(ErrLoginCodeWrong), "N"},
        {"resolution", "Display resolution (default 1920x1080).", "WxH"},
        {"fps", "Display frames per second (default 25).", "N"},
        {"channels",
         QString("Channel counts at %1 and %2 (default 4:4); play runs on A+B.")
             .arg(DeviceInfo::kChannelBaseA)
             .arg(DeviceInfo::kChannelBaseB),
         "A:B"},
        {"command-log", "Append every OPRemoteCtrl text, byte for byte, to FILE.", "FILE"},
        {"drop-after", "Close each session SECONDS after its login.", "SECONDS"},
        {"hang-after", "Each session stops answering SECONDS after its login.", "SECONDS"},
        {"refuse-realplay", QString("Refuse every real play (%1).").arg(ErrRefused)},
        {"fail-config",
         QString("Answer configuration command %1 with %2 (repeatable).")
             .arg(configCommandsText())
             .arg(ErrRecorderFailed),
         "CMD"},
        {"login-timeout",
         "Close connections that have not logged in after SECONDS (default 10; fractions allowed).",
         "SECONDS"},
        {"idle-timeout",
         "Close a logged-in session that sends nothing for SECONDS (default 60; fractions "
         "allowed). The client's keep-alives are far more frequent.",
         "SECONDS"},
        {"max-connections",
         QString("Turn connections beyond N away, for the recorder and the P2P service each "
                 "(default 32, at most %1).")
             .arg(SimOptions::kMaxConnections),
         "N"},
        {"fixed-rate", "Stream at constant quality with an IDR every 2 s, whatever the viewers' "
                       "paths carry (default: the stream adapts to the slowest viewer)."},
        {"picture-trace",
         "Append a line to FILE for every batch of commands the display takes and every picture "
         "it makes, with the monotonic clock (for benchmarks).",
         "FILE"},
    };
}

bool toInt(const QString &text, int &value, int min, int max)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= min && value <= max;
}

// 0.05 to 3600 seconds, as milliseconds.
bool parseSeconds(const QString &text, int &ms)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !(seconds >= 0.05 && seconds <= 3600))
        return false;
    ms = int(seconds * 1000);
    return true;
}

} // namespace

bool SimOptions::parseAddress(const QString &text, QHostAddress &address, quint16 &port)
{
    const int colon = text.lastIndexOf(':');
    int value = 0;
    if (colon <= 0 || !toInt(text.mid(colon + 1), value, 0, 65535))
        return false;
    port = quint16(value);
    return address.setAddress(text.left(colon));
}

bool SimOptions::parseSize(const QString &text, int &width, int &height)
{
    const QRegularExpressionMatch m = QRegularExpression("^(\\d{2,5})x(\\d{2,5})$").match(text);
    if (!m.hasMatch())
        return false;
    width = m.captured(1).toInt();
    height = m.captured(2).toInt();
    return width >= 16 && height >= 16 && width <= 8192 && height <= 8192 && width % 2 == 0 &&
           height % 2 == 0;
}

int SimOptions::stateCode(const QString &state)
{
    for (const auto &[name, code] : kStates) {
        if (state == QLatin1String(name))
            return code;
    }
    int code = 0;
    return toInt(state, code, -99999, -1) ? code : 0;
}

bool SimOptions::parse(const QStringList &arguments, QString &error, bool &exitNow)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        "Recorder simulator: a headless recorder for the remote-control client.\n"
        "Prints \"listening ADDR:PORT\" (and \"p2p-listening ADDR:PORT\") on stdout once ready.\n"
        "Reads commands from stdin, one per line: \"resolution WxH\" changes the display size.\n"
        "Keep it on trusted networks: nothing is encrypted, the client cannot tell it from\n"
        "another server, and a captured login can be attacked offline to find the password.");
    p.addHelpOption();
    p.addOptions(optionList());
    exitNow = false;
    if (!p.parse(arguments)) {
        error = p.errorText();
        return false;
    }
    if (p.isSet("help")) {
        error = p.helpText();
        exitNow = true;
        return false;
    }
    if (p.isSet("listen") && !parseAddress(p.value("listen"), listenAddress, listenPort))
        return error = "bad --listen " + p.value("listen"), false;
    if ((p2pEnabled = p.isSet("p2p-listen")) &&
        !parseAddress(p.value("p2p-listen"), p2pAddress, p2pPort))
        return error = "bad --p2p-listen " + p.value("p2p-listen"), false;
    if (p.isSet("serial"))
        serial = p.value("serial");
    for (const QString &u : p.values("user")) {
        const int colon = u.indexOf(':');
        if (colon <= 0)
            return error = "bad --user " + u, false;
        users.insert(u.left(colon), u.mid(colon + 1));
    }
    if (users.isEmpty())
        users.insert("admin", "");
    for (const QString &s : p.values("user-state")) {
        const int colon = s.indexOf(':');
        const int code = colon > 0 ? stateCode(s.mid(colon + 1)) : 0;
        if (code == 0)
            return error = "bad --user-state " + s, false;
        userStates.insert(s.left(colon), code);
    }
    remoteControl = !p.isSet("no-remote-control");
    agent = p.isSet("agent");
    if ((requireLoginCode = p.isSet("require-login-code")) &&
        (!toInt(p.value("require-login-code"), loginCode, 1, 0x7fffffff)))
        return error = "bad --require-login-code (a positive number)", false;
    if (p.isSet("resolution") && !parseSize(p.value("resolution"), width, height))
        return error = "bad --resolution " + p.value("resolution"), false;
    if (p.isSet("fps") && !toInt(p.value("fps"), fps, 1, 120))
        return error = "bad --fps " + p.value("fps"), false;
    if (p.isSet("channels")) {
        const QStringList ab = p.value("channels").split(':');
        if (ab.size() != 2 || !toInt(ab[0], channelsA, 0, 256) || !toInt(ab[1], channelsB, 0, 256))
            return error = "bad --channels " + p.value("channels"), false;
    }
    commandLog = p.value("command-log");
    if (p.isSet("drop-after") && !toInt(p.value("drop-after"), dropAfterSec, 0, 86400))
        return error = "bad --drop-after", false;
    if (p.isSet("hang-after") && !toInt(p.value("hang-after"), hangAfterSec, 0, 86400))
        return error = "bad --hang-after", false;
    refuseRealPlay = p.isSet("refuse-realplay");
    fixedRate = p.isSet("fixed-rate");
    pictureTrace = p.value("picture-trace");
    for (const QString &c : p.values("fail-config")) {
        if (c != QString::number(kCmdSystemFunction) && c != QString::number(kCmdDisplayResolution))
            return error = "bad --fail-config " + c + " (" + configCommandsText() + ")", false;
        failConfig.insert(c.toInt());
    }
    if (p.isSet("login-timeout") && !parseSeconds(p.value("login-timeout"), loginTimeoutMs))
        return error = "bad --login-timeout " + p.value("login-timeout"), false;
    if (p.isSet("idle-timeout") && !parseSeconds(p.value("idle-timeout"), idleTimeoutMs))
        return error = "bad --idle-timeout " + p.value("idle-timeout"), false;
    if (p.isSet("max-connections") &&
        !toInt(p.value("max-connections"), maxConnections, 1, kMaxConnections))
        return error = "bad --max-connections " + p.value("max-connections"), false;
    return true;
}
