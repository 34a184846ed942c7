#include "AppConfig.h"
#include "CGlobalApplication.h"
#include "ConfigKeys.h"
#include "Relauncher.h"
#include "SdkApi.h"
#include "SdkBinding.h"
#include "StartupFiles.h"

#include <QIcon>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>

namespace {
constexpr int kBindingFailed = 2;

bool bindSdks(const QString &appDir)
{
    std::string error;
    if (SdkBinding::bind(appDir.toLocal8Bit().toStdString(), sdkApi(), error))
        return true;
    const QString text = QString::fromLocal8Bit(error.c_str());
    std::fprintf(stderr, "telvane: %s\n", error.c_str());
    QMessageBox::critical(nullptr, QStringLiteral("Telvane"), text);
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    CGlobalApplication app(argc, argv);
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString styleSheet = StartupFiles::loadStyleSheet(appDir);
    app.setWindowIcon(QIcon(StartupFiles::iconPath(appDir)));
    app.setStyleSheet(styleSheet);

    const QString language = StartupFiles::chooseLanguage(
        AppConfig::readText(ConfigKeys::kLanguage, ConfigKeys::kDefaultLanguage), app.arguments());
    auto *translator = new QTranslator; // lives to the end of the process
    const QString qmFile = StartupFiles::translationFile(appDir, language);
    if (!qmFile.isEmpty())
        translator->load(qmFile);
    app.installTranslator(translator);
    int nAutoLogin = AppConfig::readInt(ConfigKeys::kAutoLogin, ConfigKeys::kDefaultAutoLogin);
    Q_UNUSED(nAutoLogin);

    if (!bindSdks(appDir))
        return kBindingFailed;
    return 0;
}
