// Loads the two SDK stand-ins beside this program through the program's own
// Windows binding and calls across the boundary with real arguments.
//   BindingCheck.exe                       the full check
//   BindingCheck.exe --expect-missing N    NetSDK.dll here lacks ordinal N
//   BindingCheck.exe --outside-code-page   the full check, from a folder the
//                                          system's 8-bit code page cannot spell
// Prints what failed and exits non-zero then; one summary line otherwise.
#include "../../session/HostResolver.h"
#include "../../session/SdkBinding.h"
#include "../../session/SdkLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <windows.h>

using namespace tvsdk;

namespace {

int g_passed = 0;
int g_failed = 0;

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (cond) {                                                                                \
            ++g_passed;                                                                            \
        } else {                                                                                   \
            ++g_failed;                                                                            \
            std::printf("FAIL %s:%d: %s\n", __FILE__, __LINE__, #cond);                            \
        }                                                                                          \
    } while (0)

// The directory of this program the way the application hands it over:
// UTF-16 with forward slashes, as the toolkit reports directories.
std::wstring ownDirectory()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    path.resize(length);
    path.erase(path.find_last_of(L'\\'));
    for (wchar_t &c : path) {
        if (c == L'\\')
            c = L'/';
    }
    return path;
}

// True when the system's 8-bit code page cannot spell the path: only then
// does a run from it show that nothing goes through that code page.
bool outsideCodePage(const std::wstring &path)
{
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), int(path.size()), nullptr, 0,
                        nullptr, &lost);
    return lost != FALSE;
}

bool allBound(const SdkApi &a)
{
    const void *fns[] = {
        reinterpret_cast<const void *>(a.setP2PServer),
        reinterpret_cast<const void *>(a.init),
        reinterpret_cast<const void *>(a.sdkSwitch),
        reinterpret_cast<const void *>(a.setAppInfo),
        reinterpret_cast<const void *>(a.setConnectTime),
        reinterpret_cast<const void *>(a.login),
        reinterpret_cast<const void *>(a.getLastError),
        reinterpret_cast<const void *>(a.setKeepLife),
        reinterpret_cast<const void *>(a.getDevConfig),
        reinterpret_cast<const void *>(a.realPlay),
        reinterpret_cast<const void *>(a.setRealDataCallback),
        reinterpret_cast<const void *>(a.delRealDataCallback),
        reinterpret_cast<const void *>(a.stopRealPlay),
        reinterpret_cast<const void *>(a.sendJson),
        reinterpret_cast<const void *>(a.logout),
        reinterpret_cast<const void *>(a.cleanup),
        reinterpret_cast<const void *>(a.playOpenStream),
        reinterpret_cast<const void *>(a.playPlay),
        reinterpret_cast<const void *>(a.playInputData),
        reinterpret_cast<const void *>(a.playStop),
        reinterpret_cast<const void *>(a.playCloseStream),
        reinterpret_cast<const void *>(a.playFreePort),
    };
    for (const void *fn : fns) {
        if (!fn)
            return false;
    }
    return true;
}

struct CallbackSeen
{
    int handle = 0;
    int length = 0;
    unsigned char lastByte = 0;
    DWORD thread = 0;
};

int TV_SDK_CALL onRealData(int nRealPlayHandle, int, unsigned char *pData, int nLength, void *pUser)
{
    auto *seen = static_cast<CallbackSeen *>(pUser);
    seen->handle = nRealPlayHandle;
    seen->length = nLength;
    seen->lastByte = nLength > 0 ? pData[nLength - 1] : 0;
    seen->thread = GetCurrentThreadId();
    return 1;
}

void TV_SDK_CALL onDisconnect(int nLoginHandle, char *, int, void *pUser)
{
    auto *seen = static_cast<CallbackSeen *>(pUser);
    seen->handle = nLoginHandle;
    seen->thread = GetCurrentThreadId();
}

void checkLibraryBasics(const std::wstring &dir)
{
    CHECK(SdkLibrary::fileName("NetSDK") == "NetSDK.dll");
    SdkLibrary lib;
    std::string error;
    CHECK(!lib.open(SdkLibrary::join(dir, "NoSuchSdk.dll"), error));
    CHECK(error.rfind("cannot load ", 0) == 0 && error.find("NoSuchSdk.dll") != std::string::npos);
    // The message spells the folder in UTF-8, whatever the code page.
    const std::wstring folder = dir.substr(dir.find_last_of(L'/') + 1);
    std::string folderUtf8(std::size_t(folder.size() * 4), '\0');
    folderUtf8.resize(
        std::size_t(WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), int(folder.size()),
                                        &folderUtf8[0], int(folderUtf8.size()), nullptr, nullptr)));
    CHECK(!folderUtf8.empty() && error.find(folderUtf8) != std::string::npos);
    CHECK(!lib.isOpen());
    CHECK(lib.open(SdkLibrary::join(dir, "NetSDK.dll"), error));
    CHECK(lib.resolve(NetOrdLogin) != nullptr);
    CHECK(lib.resolve(1) == nullptr);                     // not exported
    CHECK(lib.resolve(0x10000 + NetOrdLogin) == nullptr); // not a 16-bit ordinal
    lib.close();
    CHECK(!lib.isOpen() && lib.resolve(NetOrdLogin) == nullptr);
}

void checkSession(const SdkApi &a, CallbackSeen &disconnect)
{
    char server[kP2PServerBufferSize] = "10.0.0.1";
    CHECK(a.setP2PServer(0, server, 0) == 1);
    CHECK(a.init(onDisconnect, &disconnect) == 1);
    CHECK(a.sdkSwitch(1) == 1);
    unsigned char identity[AppIdentity::kSize] = {};
    std::memcpy(identity + AppIdentity::kFirst, "0123456789abcdef0123456789abcdef", 32);
    writeInt32(identity, AppIdentity::kFlag, 1);
    CHECK(a.setAppInfo(identity) == 0);
    CHECK(a.setConnectTime(2000, 2) == 1);

    unsigned char info[DeviceInfo::kSize];
    std::memset(info, 0xAB, sizeof info);
    int error = 1;
    CHECK(a.login("192.168.1.10", 34567, "admin", "wrong", info, &error, kLoginKindAddress) == 0);
    CHECK(error == ErrPasswordWrong && a.getLastError() == ErrPasswordWrong);
    CHECK(a.login("0123456789abcdef", 0, "admin", "secret", info, &error, kLoginKindCloud) == 43);
    const int handle =
        a.login("192.168.1.10", 34567, "admin", "secret", info, &error, kLoginKindAddress);
    CHECK(handle == 42 && error == 0);
    CHECK(readInt32(info, DeviceInfo::kLoginCode) == 7);
    CHECK(readInt32(info, DeviceInfo::kChannelBaseB) == 1 && info[DeviceInfo::kErrorText] == 0);
    CHECK(a.setKeepLife(handle, 3, 10) == 1);
}

void checkConfiguration(const SdkApi &a, int handle)
{
    unsigned char resolution[DisplayResolution::kSize] = {};
    int returned = 0;
    CHECK(a.getDevConfig(handle, kCmdDisplayResolution, kConfigChannelAll, resolution,
                         int(sizeof resolution), &returned, kDisplayResolutionTimeoutMs) > 0);
    CHECK(readInt32(resolution, DisplayResolution::kHeight) == 1080);
    CHECK(readInt32(resolution, DisplayResolution::kWidth) == 1920 && returned == 8);
    unsigned char functions[SystemFunction::kSize] = {};
    CHECK(a.getDevConfig(handle, kCmdSystemFunction, kConfigChannelAll, functions,
                         int(sizeof functions), &returned, kSystemFunctionTimeoutMs) > 0);
    CHECK(functions[SystemFunction::kRemoteCtrlFlag] == 1 && returned == 229);
    CHECK(a.getDevConfig(handle + 1, kCmdSystemFunction, kConfigChannelAll, functions,
                         int(sizeof functions), &returned, kSystemFunctionTimeoutMs) < 0);
    CHECK(a.getLastError() == -10000);
}

void checkStream(const SdkApi &a, int handle)
{
    unsigned char client[ClientInfo::kSize] = {};
    writeInt32(client, ClientInfo::kChannel, 3);
    const int realPlay = a.realPlay(handle, client, 1);
    CHECK(realPlay == 103);
    CallbackSeen data;
    int seen = a.setRealDataCallback(realPlay, onRealData, &data);
    CHECK(seen == 1 && data.handle == realPlay && data.length == 4 && data.lastByte == 0x67);
    CHECK(data.thread != 0 && data.thread != GetCurrentThreadId());
    CHECK(a.delRealDataCallback(realPlay, onRealData, &data) == 1);
    CHECK(a.stopRealPlay(realPlay, nullptr) == 1);

    unsigned char header = 0;
    CHECK(a.playOpenStream(0, &header, kPlayHeaderLength, kPlayStreamBufferSize) != 0);
    CHECK(a.playPlay(0, GetConsoleWindow() ? GetConsoleWindow() : GetDesktopWindow()) == 1);
    unsigned char block[1000] = {};
    CHECK(a.playInputData(0, block, 1000) == 1000 && a.playInputData(0, block, 24) == 1024);
    CHECK(a.playStop(0) == 1 && a.playCloseStream(0) == 1 && a.playFreePort(0) == 1);
    CHECK(a.playOpenStream(0, &header, kPlayHeaderLength, 1024) == 0);
}

void checkEnd(const SdkApi &a, int handle, const CallbackSeen &disconnect)
{
    const char json[] = "{\n   \"msg\" : \"0x20008\"\n}\n";
    const int length = int(std::strlen(json));
    CHECK(a.sendJson(handle, kRemoteCtrlCommand, kRemoteCtrlMsgId, kRemoteCtrlChannel, json, length,
                     kRemoteCtrlTimeoutMs) == length);
    CHECK(a.sendJson(handle, kRemoteCtrlCommand, kRemoteCtrlMsgId, kRemoteCtrlChannel, json,
                     length - 1, kRemoteCtrlTimeoutMs) < 0);
    CHECK(a.logout(handle) == 1);
    CHECK(disconnect.handle == handle && disconnect.thread != GetCurrentThreadId());
    CHECK(a.cleanup() == 1);
}

void checkResolver()
{
    CHECK(HostResolver::isDottedAddress("192.168.1.10"));
    CHECK(!HostResolver::isDottedAddress("p2p.example.invalid"));
    CHECK(!HostResolver::isDottedAddress(""));
    char out[kP2PServerBufferSize] = "untouched";
    CHECK(!HostResolver::resolveFirst("localhost", out, 4)); // "127.0.0.1" does not fit
    CHECK(std::strcmp(out, "untouched") == 0);
    CHECK(HostResolver::resolveFirst("127.0.0.1", out, sizeof out));
    CHECK(std::strcmp(out, "127.0.0.1") == 0);
    // Whatever the host maps localhost to, it must come back as dotted text.
    std::strcpy(out, "untouched");
    CHECK(HostResolver::resolveFirst("localhost", out, sizeof out));
    CHECK(HostResolver::isDottedAddress(out));
    std::strcpy(out, "untouched");
    CHECK(!HostResolver::resolveFirst("no-such-host.invalid", out, sizeof out));
    CHECK(std::strcmp(out, "untouched") == 0);
}

int summary(const char *what)
{
    std::printf("%s: %d checks passed, %d failed (%d-bit)\n", what, g_passed, g_failed,
                int(sizeof(void *) * 8));
    return g_failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

int expectMissing(const std::wstring &dir, const char *ordinal)
{
    SdkApi api;
    std::string error;
    CHECK(!SdkBinding::bind(dir, api, error));
    CHECK(error == std::string("NetSDK.dll: ordinal ") + ordinal + " is missing");
    CHECK(!api.setP2PServer && !api.login && !api.playOpenStream);
    if (g_failed)
        std::printf("error text was: %s\n", error.c_str());
    return summary("missing ordinal");
}

} // namespace

int main(int argc, char **argv)
{
    const std::wstring dir = ownDirectory();
    if (argc == 3 && std::strcmp(argv[1], "--expect-missing") == 0)
        return expectMissing(dir, argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "--outside-code-page") == 0) {
        CHECK(outsideCodePage(dir));
        if (g_failed)
            std::printf("code page %u can spell this folder's name: the run proves nothing\n",
                        GetACP());
    }

    checkLibraryBasics(dir);
    SdkApi api;
    std::string error;
    const bool bound = SdkBinding::bind(dir, api, error);
    CHECK(bound && allBound(api));
    if (!bound) {
        std::printf("binding failed: %s\n", error.c_str());
        return summary("binding");
    }
    CallbackSeen disconnect;
    checkSession(api, disconnect);
    checkConfiguration(api, 42);
    checkStream(api, 42);
    checkEnd(api, 42, disconnect);
    checkResolver();
    return summary("binding");
}
