// A device SDK written from the interface tables alone, never from the
// program's own contract header: every ordinal, argument list, record size
// and offset below is typed in from those tables. It records each call as
// a line, with the bytes of every record it is handed, and answers as the
// test scripts it. Keys: login.handle, login.error, lastError, chanA, chanB,
// cfg9.result, cfg9.flag, cfg127.result, height, width, realPlay.
#include "ConformanceRecord.h"

#include <cstring>
#include <string>

using namespace conf;

namespace {
using Disconnect = void (*)(int, char *, int, void *);
using RealData = int (*)(int, int, unsigned char *, int, void *);

std::string num(long long v)
{
    return std::to_string(v);
}

int setP2PServer(int a, const char *server, int b)
{
    emit("N137 " + num(a) + " " + hex(server, 64) + " " + num(b));
    return 0;
}

int init(Disconnect cb, void *user)
{
    emit("N52 " + std::string(cb ? "cb" : "null") + " " + pointer(user));
    return 1;
}

int sdkSwitch(int on)
{
    emit("N21 " + num(on));
    return 0;
}

int setAppInfo(const void *record)
{
    emit("N141 " + hex(record, 196));
    return 0;
}

int setConnectTime(int ms, int tries)
{
    emit("N89 " + num(ms) + " " + num(tries));
    return 0;
}

int login(const char *address, unsigned short port, const char *user, const char *password,
          void *devInfo, int *error, int kind)
{
    emit("N57 " + std::string(address) + " " + num(port) + " " + user + " " + password + " " +
         hex(static_cast<char *>(devInfo) + 828, 4) + " " + num(kind));
    std::memset(devInfo, 0, 832);
    putInt32(devInfo, 288, int(scripted("chanA", 3)));
    putInt32(devInfo, 324, int(scripted("chanB", 4)));
    std::strcpy(static_cast<char *>(devInfo) + 444, "double");
    *error = int(scripted("login.error", 0));
    return int(scripted("login.handle", 42));
}

int getLastError()
{
    emit("N41");
    return int(scripted("lastError", 0));
}

int setKeepLife(int handle, int a, int b)
{
    emit("N96 " + num(handle) + " " + num(a) + " " + num(b));
    return 0;
}

int getDevConfig(int handle, int command, int channel, void *buffer, int size, int *returned,
                 int timeoutMs)
{
    emit("N31 " + num(handle) + " " + num(command) + " " + num(channel) + " " + num(size) + " " +
         num(timeoutMs) + " " + hex(buffer, size));
    if (command == 9 && size == 229) {
        static_cast<unsigned char *>(buffer)[212] =
            static_cast<unsigned char>(scripted("cfg9.flag", 1));
        *returned = 229;
        return int(scripted("cfg9.result", 0));
    }
    if (command == 127 && size == 8) {
        putInt32(buffer, 0, int(scripted("height", 600)));
        putInt32(buffer, 4, int(scripted("width", 1000)));
        *returned = 8;
        return int(scripted("cfg127.result", 0));
    }
    return -1;
}

int realPlay(int handle, void *clientInfo, unsigned char flag)
{
    emit("N76 " + num(handle) + " " + hex(clientInfo, 24) + " " + num(flag));
    return int(scripted("realPlay", 9));
}

int setRealDataCallback(int realPlayHandle, RealData cb, void *user)
{
    emit("N99 " + num(realPlayHandle) + " " + std::string(cb ? "cb" : "null") + " " +
         pointer(user));
    // One block at once, as a recorder's first key frame would come.
    unsigned char block[5] = {0, 0, 0, 1, 0x67};
    if (cb)
        emit("callback returned " + num(cb(realPlayHandle, 2, block, 5, user)));
    return 0;
}

int delRealDataCallback(int realPlayHandle, RealData cb, void *user)
{
    emit("N19 " + num(realPlayHandle) + " " + std::string(cb ? "cb" : "null") + " " +
         pointer(user));
    return 0;
}

int stopRealPlay(int realPlayHandle, void *reserved)
{
    emit("N127 " + num(realPlayHandle) + " " + pointer(reserved));
    return 0;
}

int sendJson(int handle, const char *name, int msgId, int channel, const char *json, int length,
             int timeoutMs)
{
    emit("N92 " + num(handle) + " " + name + " " + num(msgId) + " " + num(channel) + " " +
         num(length) + " " + num(timeoutMs) + " " + escaped(json, length) +
         (json[length] == '\0' ? "" : " unterminated"));
    return 0;
}

int logout(int handle)
{
    emit("N62 " + num(handle));
    return 0;
}

int cleanup()
{
    emit("N6");
    return 0;
}

template <typename Fn> void *fn(Fn f)
{
    return reinterpret_cast<void *>(f);
}
} // namespace

CONF_EXPORT void *tv_proc_by_ordinal(int ordinal)
{
    switch (ordinal) {
    case 137:
        return fn(setP2PServer);
    case 52:
        return fn(init);
    case 21:
        return fn(sdkSwitch);
    case 141:
        return fn(setAppInfo);
    case 89:
        return fn(setConnectTime);
    case 57:
        return fn(login);
    case 41:
        return fn(getLastError);
    case 96:
        return fn(setKeepLife);
    case 31:
        return fn(getDevConfig);
    case 76:
        return fn(realPlay);
    case 99:
        return fn(setRealDataCallback);
    case 19:
        return fn(delRealDataCallback);
    case 127:
        return fn(stopRealPlay);
    case 92:
        return fn(sendJson);
    case 62:
        return fn(logout);
    case 6:
        return fn(cleanup);
    default:
        return nullptr;
    }
}
