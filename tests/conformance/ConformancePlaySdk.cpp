// A play SDK written from the interface tables alone (see the device SDK
// double beside it). Key: open (the open-stream answer).
#include "ConformanceRecord.h"

#include <string>

using namespace conf;

namespace {
std::string num(long long v)
{
    return std::to_string(v);
}

int openStream(int port, unsigned char *header, int headerLength, int bufferSize)
{
    // The header's value is not significant, but it must be there to read.
    emit("P17 " + num(port) + " " + (header ? "header" : "null") + " " + num(headerLength) + " " +
         num(bufferSize));
    volatile unsigned char first = header ? header[0] : 0;
    (void)first;
    return int(scripted("open", 1));
}

int play(int port, void *window)
{
    emit("P3 " + num(port) + " " + (window ? "window" : "null"));
    return 1;
}

int inputData(int port, unsigned char *data, int length)
{
    emit("P18 " + num(port) + " " + hex(data, length));
    return 1;
}

int portCall(const char *ordinal, int port)
{
    emit(std::string(ordinal) + " " + num(port));
    return 1;
}

int stop(int port)
{
    return portCall("P4", port);
}

int closeStream(int port)
{
    return portCall("P19", port);
}

int freePort(int port)
{
    return portCall("P91", port);
}

template <typename Fn> void *fn(Fn f)
{
    return reinterpret_cast<void *>(f);
}
} // namespace

CONF_EXPORT void *tv_proc_by_ordinal(int ordinal)
{
    switch (ordinal) {
    case 17:
        return fn(openStream);
    case 3:
        return fn(play);
    case 18:
        return fn(inputData);
    case 4:
        return fn(stop);
    case 19:
        return fn(closeStream);
    case 91:
        return fn(freePort);
    default:
        return nullptr;
    }
}
