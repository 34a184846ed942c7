#include "AttackFigures.h"

#include "AttackCostly.h"
#include "AttackLockout.h"
#include "AttackMemory.h"
#include "AttackRotation.h"
#include "AttackSilent.h"
#include "AttackSim.h"
#include "ExitGuard.h"
#include "RunSpread.h"

#include <chrono>
#include <cstdio>

bool AttackFigures::runOnce(const QString &attack, Json::Value &figures, QString &error)
{
    if (attack == "lockout")
        return AttackLockout::run(figures, error);
    if (attack == "rotation")
        return AttackRotation::run(figures, error);
    if (attack == "silent")
        return AttackSilent::run(figures, error);
    if (attack == "memory") {
        for (const bool fixedRate : {false, true}) {
            for (const int clients : {32, 128}) {
                if (!AttackMemory::run(clients, fixedRate, figures, error))
                    return false;
            }
        }
        return true;
    }
    if (attack == "costly")
        return AttackCostly::run(figures, error);
    error = "unknown attack " + attack + " (known: " + names().join(", ") + ")";
    return false;
}

bool AttackFigures::run(const QStringList &attacks, int runs, const QStringList &simArgs,
                        std::vector<std::pair<std::string, Json::Value>> &out, QString &error)
{
    ExitGuard::install();
    AttackSim::setCommonOptions(simArgs);
    for (const QString &attack : attacks) {
        const auto begin = std::chrono::steady_clock::now();
        std::vector<Json::Value> each;
        for (int r = 0; r < runs; ++r) {
            std::fprintf(stderr, "[attack] %s, run %d of %d ...\n", qPrintable(attack), r + 1,
                         runs);
            Json::Value figures(Json::objectValue);
            if (!runOnce(attack, figures, error))
                return false;
            each.push_back(figures);
        }
        Json::Value combined = RunSpread::combine(each);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        std::printf("attack %s: %d runs in %.0f s; median [min, max]\n%s", qPrintable(attack), runs,
                    seconds, qPrintable(RunSpread::text(combined)));
        std::fflush(stdout);
        out.emplace_back("attack_" + attack.toStdString(), combined);
    }
    return true;
}
