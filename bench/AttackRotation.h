#pragma once
// Rotating addresses: two honest viewers play the display while an
// attacker opens a viewer from a fresh address every 0.65 s that reads for
// 250 ms through a 4 KB receive buffer, then stops reading and leaves after
// 1.3 s. The honest viewers' pictures a second and longest gap, quiet and
// under the attack, over 20 s each.

#include <json/value.h>

#include <QString>

class AttackRotation
{
public:
    static constexpr int kViewers = 2;
    static constexpr int kWindowMs = 20000;
    static bool run(Json::Value &figures, QString &error);
};
