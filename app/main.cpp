#include "AppConfig.h"
#include "CGlobalApplication.h"
#include "CLoginDlg.h"
#include "CTelvane.h"
#include "ConfigKeys.h"
#include "HighDpiSetup.h"
#include "Relauncher.h"
#include "SdkApi.h"
#include "SdkBinding.h"
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
    std::string error;
#ifdef _WIN32
    // The loader takes the path in UTF-16, so any folder name works; the
    // 8-bit code page cannot spell every name a user's folder may have.
    const SdkPath dir = appDir.toStdWString();
#else
    const SdkPath dir = QFile::encodeName(appDir).toStdString();
#endif
    if (SdkBinding::bind(dir, sdkApi(), error))
        return true;
#ifdef _WIN32
    const QString text = QString::fromUtf8(error.c_str());
#else
    const QString text = QFile::decodeName(error.c_str());
#endif
    std::fprintf(stderr, "telvane: %s\n", error.c_str());
    QMessageBox::critical(nullptr, QStringLiteral("Telvane"), text);
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
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
