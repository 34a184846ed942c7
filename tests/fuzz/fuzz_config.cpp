// The configuration reader with arbitrary Config.ini contents: every key read
// the way its readers read it, and the login dialog built from the file, as
// start-up does. The file must never be changed by reading it.
#include "AppConfig.h"
#include "CLoginDlg.h"
#include "ConfigKeys.h"
#include "FuzzApp.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
QTemporaryDir &directory()
{
    static QTemporaryDir *dir = [] {
        FuzzApp::ensure();
        auto *d = new QTemporaryDir;
        AppConfig::setDirectoryOverride(d->path());
        return d;
    }();
    return *dir;
}

void readEveryKey()
{
    using namespace ConfigKeys;
    const char *intKeys[] = {kLoginType, kSaveInfo, kAutoLogin, kPort, kEncrypt, kEncryptCode};
    for (const char *key : intKeys)
        AppConfig::readInt(key, 0);
    const char *textKeys[] = {kLanguage, kIp, kCloud, kUserName, kPassword, kP2PServer};
    for (const char *key : textKeys)
        AppConfig::readText(key, "");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    directory();
    const QByteArray contents(reinterpret_cast<const char *>(data), int(size));
    {
        QFile file(AppConfig::filePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(contents);
    }
    readEveryKey();
    {
        CLoginDlg dialog;
    }
    QFile file(AppConfig::filePath());
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != contents)
        std::abort();
    return 0;
}
