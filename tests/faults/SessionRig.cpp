#include "SessionRig.h"

#include "AppConfig.h"
#include "CLoginDlg.h"
#include "CTelvane.h"
#include "CVideoFrame.h"
#include "SdkApi.h"
#include "SdkBinding.h"
#include "SessionHandOff.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTest>
#include <QTimer>

bool SessionRig::bindSdks(QString &error)
{
    std::string why;
    const bool ok =
        SdkBinding::bind(QCoreApplication::applicationDirPath().toStdString(), sdkApi(), why);
    error = QString::fromStdString(why);
    return ok;
}

bool SessionRig::openSession(quint16 port, CTelvane &window)
{
    CLoginDlg dialog;
    dialog.setLoginInfo("0", "127.0.0.1", "", QString::number(port), "admin", "", "English");
    if (!dialog.onLoginDevice())
        return false;
    return SessionHandOff::play(window, dialog.loginResult(), [](CTelvane &shown) {
        shown.findChild<CVideoFrame *>()->setFixedSize(480, 270);
        return QTest::qWaitForWindowExposed(&shown);
    });
}

int SessionRig::runUntilExit(int timeoutMs, qint64 &elapsedMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [] { QCoreApplication::exit(-99); });
    timeout.start(timeoutMs);
    const int code = QCoreApplication::exec();
    elapsedMs = clock.elapsed();
    return code;
}

QMap<QString, QVariant> SessionRig::storedValues()
{
    QSettings settings(AppConfig::filePath(), QSettings::IniFormat);
    QMap<QString, QVariant> values;
    for (const QString &key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

QByteArray SessionRig::savedUserConfig()
{
    return "[RemoteCtrlSystem]\nLoginType=0\nSaveInfo=1\nAutoLogin=1\n\n"
           "[RemoteCtrlTheme]\nSolution=English\n\n"
           "[RemoteCtrlDevInfo]\nCloud=0123456789\nUserName=admin\n"
           "Password=\" semi;colon=equals \"\nEncrypt=0\n\n"
           "[SeverSet]\nSeverIp=\n";
}
