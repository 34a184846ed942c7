#include "SdkLoader.h"

#include "SdkApi.h"
#include "SdkBinding.h"
#include "SdkFileInfo.h"
#include "SdkLibrary.h"

#include <QDebug>
#include <QFile>

namespace {

SdkPath nativeDirectory(const QString &directory)
{
#ifdef _WIN32
    // The loader takes the path in UTF-16, so any folder name works; the
    // 8-bit code page cannot spell every name a user's folder may have.
    return directory.toStdWString();
#else
    return QFile::encodeName(directory).toStdString();
#endif
}

QString displayText(const std::string &text)
{
#ifdef _WIN32
    return QString::fromUtf8(text.c_str());
#else
    return QFile::decodeName(text.c_str());
#endif
}

void traceBound(const QString &directory, const char *baseName)
{
    const std::string fileName = SdkLibrary::fileName(baseName);
    const SdkPath path = SdkLibrary::join(nativeDirectory(directory), fileName);
    qDebug().noquote() << "SDK bound:" << directory + QLatin1Char('/') + displayText(fileName)
                       << displayText(SdkFileInfo::read(path).describe());
}

} // namespace

bool SdkLoader::load(const QString &directory, QString &error)
{
    std::string why;
    if (!SdkBinding::bind(nativeDirectory(directory), sdkApi(), why)) {
        error = displayText(why);
        return false;
    }
    traceBound(directory, SdkBinding::kNetSdkName);
    traceBound(directory, SdkBinding::kPlaySdkName);
    return true;
}
