#pragma once
// The files start-up reads beside the executable: the style sheet, the
// application icon and the translation for the chosen language.

#include <QString>
#include <QStringList>

class StartupFiles
{
public:
    static QString skinDir(const QString &appDir);
    static QString iconPath(const QString &appDir);

    // The style sheet decoded as UTF-8 with every "@skinpath" replaced;
    // empty when the file cannot be read.
    static QString loadStyleSheet(const QString &appDir);

    // The language of this run: the seventh of exactly seven arguments wins
    // over the stored one.
    static QString chooseLanguage(const QString &stored, const QStringList &arguments);

    // The translation file for a language, empty for English and anything
    // unknown.
    static QString translationFile(const QString &appDir, const QString &language);
};
