// telvane-sdkcheck [folder]: checks the device SDK and the play SDK in the
// folder (its own folder when none is given) and exits with 0 only when
// Telvane can use them; 1 when it cannot; 2 on a wrong command line.
#include "SdkCheck.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>

namespace {
SdkPath ownFolder()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    path.resize(length);
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

SdkPath argFolder(int, char **)
{
    int count = 0;
    wchar_t **args = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring folder = count > 1 ? args[1] : std::wstring();
    LocalFree(args);
    return folder;
}
} // namespace
#else
#include <climits>
#include <unistd.h>

namespace {
SdkPath ownFolder()
{
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string self = length > 0 ? std::string(path, std::size_t(length)) : ".";
    const std::size_t slash = self.find_last_of('/');
    return slash == std::string::npos ? "." : self.substr(0, slash);
}

SdkPath argFolder(int argc, char **argv)
{
    return argc > 1 ? argv[1] : std::string();
}
} // namespace
#endif

int main(int argc, char **argv)
{
    if (argc > 2) {
        std::cerr << "usage: telvane-sdkcheck [folder]\n";
        return 2;
    }
    const SdkPath folder = argc > 1 ? argFolder(argc, argv) : ownFolder();
    return SdkCheck(folder, std::cout).run() ? 0 : 1;
}
