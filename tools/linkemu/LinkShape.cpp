#include "LinkShape.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
bool parseRate(const std::string &text, double &bits)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    double unit = 1;
    const std::string rest(end);
    if (rest == "k" || rest == "K")
        unit = 1e3;
    else if (rest == "M" || rest == "m")
        unit = 1e6;
    else if (!rest.empty())
        return false;
    bits = value * unit;
    // A path slower than a modem or faster than loopback is a typing error.
    return std::isfinite(bits) && bits >= 8000 && bits <= 10e9;
}

bool parseDelay(std::string text, int &ms)
{
    if (text.size() > 2 && text.compare(text.size() - 2, 2, "ms") == 0)
        text.resize(text.size() - 2);
    if (text.empty() || text.size() > 5)
        return false;
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end || value < 0 || value > 10000)
        return false;
    ms = int(value);
    return true;
}
} // namespace

bool LinkShape::parse(const std::string &text, LinkShape &shape)
{
    if (text == "unlimited") {
        shape.rateBitsPerS = 0;
        shape.delayMs = 0;
        return true;
    }
    if (text.size() > 32)
        return false;
    const std::size_t slash = text.find('/');
    int delay = 0;
    double rate = 0;
    const std::string ratePart = text.substr(0, slash);
    if (ratePart != "unlimited" && !parseRate(ratePart, rate))
        return false;
    if (slash != std::string::npos && !parseDelay(text.substr(slash + 1), delay))
        return false;
    shape.rateBitsPerS = rate;
    shape.delayMs = delay;
    return true;
}

std::string LinkShape::label() const
{
    char rate[32];
    if (rateBitsPerS <= 0)
        std::snprintf(rate, sizeof rate, "unlimited");
    else if (rateBitsPerS >= 1e6)
        std::snprintf(rate, sizeof rate, "%gM", rateBitsPerS / 1e6);
    else
        std::snprintf(rate, sizeof rate, "%gk", rateBitsPerS / 1e3);
    if (delayMs == 0)
        return rate;
    return std::string(rate) + "/" + std::to_string(delayMs) + "ms";
}
