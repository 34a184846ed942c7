#pragma once
// The figures of the attacks from many addresses, each attack run a few
// times on a fresh simulator: lock-out (lockout), rotating viewers
// (rotation), silent sessions (silent), clients that do not read (memory)
// and costly commands (costly). Each attack's result holds the median,
// minimum and maximum of every figure over the runs.

#include <json/value.h>

#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

class AttackFigures
{
public:
    static QStringList names() { return {"lockout", "rotation", "silent", "memory", "costly"}; }
    // Results named attack_<name>, in the order asked; every simulator gets
    // simArgs too.
    static bool run(const QStringList &attacks, int runs, const QStringList &simArgs,
                    std::vector<std::pair<std::string, Json::Value>> &out, QString &error);

private:
    static bool runOnce(const QString &attack, Json::Value &figures, QString &error);
};
