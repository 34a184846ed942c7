#include "HighDpiSetup.h"

#include <QGuiApplication>
#include <QList>

namespace {
#ifndef _WIN32
bool userChoseScaling()
{
    return qEnvironmentVariableIsSet("QT_AUTO_SCREEN_SCALE_FACTOR") ||
           qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING") ||
           qEnvironmentVariableIsSet("QT_SCREEN_SCALE_FACTORS");
}
#endif
} // namespace

void HighDpiSetup::apply()
{
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    // The display's own factor: 1.5 at 150 %, not rounded to 2.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#endif
#ifdef _WIN32
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#else
    // With a desktop setting the toolkit scales by Xft.dpi / 96; without
    // one, by QT_SCALE_FACTOR alone, which applies either way.
    if (!userChoseScaling() && desktopDpi() > 0)
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
}

int HighDpiSetup::xftDpi(const QByteArray &resources)
{
    static const QByteArray key("Xft.dpi:");
    const QList<QByteArray> lines = resources.split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith(key))
            continue;
        bool bOk = false;
        const int nDpi = line.mid(key.size()).trimmed().toInt(&bOk);
        return bOk && nDpi > 0 ? nDpi : 0;
    }
    return 0;
}
