#include "AppConfig.h"
#include "CGlobalApplication.h"
#include "CLoginDlg.h"
#include "CTelvane.h"
#include "ConfigKeys.h"
#include "HighDpiSetup.h"
#include "Relauncher.h"
#include "SdkLoader.h"
#include "SessionHandOff.h"
#include "StartupFiles.h"

#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>

namespace {
constexpr int kBindingFailed = 2;
constexpr int kCommandLineCount = 8; // the program name and seven values

bool bindSdks(const QString &appDir)
{
    QString error;
    if (SdkLoader::load(appDir, error))
        return true;
    std::fprintf(stderr, "telvane: %s\n", error.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QStringLiteral("Telvane"), error);
    return false;
}

// The program paints with the raster engine alone, yet on X11 the platform
// plugin would load the system's GL driver for every window: tens of
// megabytes, and a driver's one-time allocations, for nothing drawn. A
// choice made in the environment stands.
void leaveGlUnloaded()
{
#ifndef _WIN32
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
#endif
}
} // namespace

int main(int argc, char *argv[])
{
    leaveGlUnloaded();
    HighDpiSetup::apply();
    CGlobalApplication app(argc, argv);
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString styleSheet = StartupFiles::loadStyleSheet(appDir);
    app.setWindowIcon(QIcon(StartupFiles::iconPath(appDir)));
    app.setStyleSheet(styleSheet);

    const QString language = StartupFiles::chooseLanguage(
        AppConfig::readText(ConfigKeys::kLanguage, ConfigKeys::kDefaultLanguage), app.arguments());
    // Lives to the end of the process, held where the leak checker sees it.
    static QTranslator *translator = new QTranslator;
    const QString qmFile = StartupFiles::translationFile(appDir, language);
    if (!qmFile.isEmpty())
        translator->load(qmFile);
    app.installTranslator(translator);
    int nAutoLogin = AppConfig::readInt(ConfigKeys::kAutoLogin, ConfigKeys::kDefaultAutoLogin);

    if (!bindSdks(appDir))
        return kBindingFailed;

    // The window before the dialog: its constructor initialises the device
    // SDK, which every login, the silent one included, runs on.
    CTelvane window;
    CLoginDlg dialog;
    const QStringList args = app.arguments();
    if (args.size() == kCommandLineCount) {
        dialog.setLoginInfo(args.at(1), args.at(2), args.at(3), args.at(4), args.at(5), args.at(6),
                            args.at(7));
        nAutoLogin = 1;
    }
    bool bLoggedIn = nAutoLogin != 0 && dialog.onLoginDevice();
    if (!bLoggedIn)
        bLoggedIn = dialog.exec() == QDialog::Accepted;
    if (!bLoggedIn)
        return 0;

    SessionHandOff::play(window, dialog.loginResult());
    const int nExitCode = app.exec();
    // The new instance starts before this one closes its SDK session.
    Relauncher::relaunchIfRequested(nExitCode);
    return 0;
}
