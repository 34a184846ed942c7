#include "ConformanceRecord.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>

namespace {
ConfSink g_sink = nullptr;
std::map<std::string, long long> g_script;
} // namespace

std::string conf::hex(const void *data, int size)
{
    if (!data)
        return "null";
    static const char digits[] = "0123456789abcdef";
    const auto *bytes = static_cast<const unsigned char *>(data);
    std::string out;
    for (int i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string conf::escaped(const char *text, int size)
{
    if (!text)
        return "null";
    std::string out;
    for (int i = 0; i < size; ++i) {
        if (text[i] == '\n')
            out += "\\n";
        else
            out += text[i];
    }
    return out;
}

std::string conf::pointer(const void *p)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p)));
    return text;
}

void conf::emit(const std::string &line)
{
    if (g_sink)
        g_sink(line.c_str());
}

long long conf::scripted(const char *key, long long fallback)
{
    const auto it = g_script.find(key);
    return it == g_script.end() ? fallback : it->second;
}

void conf::putInt32(void *record, int offset, int value)
{
    const auto v = static_cast<unsigned int>(value);
    auto *p = static_cast<unsigned char *>(record) + offset;
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

CONF_EXPORT void conf_attach(ConfSink sink)
{
    g_sink = sink;
}

CONF_EXPORT void conf_script(const char *key, long long value)
{
    g_script[key] = value;
}

CONF_EXPORT void conf_reset()
{
    g_script.clear();
}
