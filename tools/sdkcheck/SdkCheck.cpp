#include "SdkCheck.h"

#include "LibraryFormat.h"
#include "SdkDefs.h"
#include "SdkFileInfo.h"

#include <iterator>
#include <string>

SdkCheck::SdkCheck(const SdkPath &directory, std::ostream &out) : m_directory(directory), m_out(out)
{
}

bool SdkCheck::run()
{
    SdkLibrary net, play;
    const bool bNet =
        checkLibrary(net, "NetSDK", tvsdk::kNetOrdinals, int(std::size(tvsdk::kNetOrdinals)));
    const bool bPlay =
        checkLibrary(play, "H264Play", tvsdk::kPlayOrdinals, int(std::size(tvsdk::kPlayOrdinals)));
    const bool bInit = bNet && initAndCleanUp(net);
    const bool bOk = bNet && bPlay && bInit;
    m_out << (bOk ? "All well: Telvane can use these SDK files.\n"
                  : "Not usable: Telvane cannot work with these SDK files until the above is "
                    "put right.\n");
    return bOk;
}

bool SdkCheck::checkFormat(const SdkPath &path, const std::string &fileName)
{
    const char *own = LibraryFormat::own() == LibraryFormat::Kind::Bits64 ? "64-bit" : "32-bit";
    switch (LibraryFormat::ofFile(path)) {
    case LibraryFormat::Kind::Unreadable:
        m_out << "  MISSING: there is no readable " << fileName
              << " in this folder; put the recorder maker's file beside telvane.exe.\n";
        return false;
    case LibraryFormat::Kind::NotALibrary:
        m_out << "  BROKEN: " << fileName << " is not a library at all (damaged or cut short).\n";
        return false;
    case LibraryFormat::Kind::OtherMachine:
        m_out << "  WRONG KIND: " << fileName << " is built for another processor; this Telvane"
              << " needs the maker's " << own << " SDK.\n";
        return false;
    case LibraryFormat::Kind::Bits32:
    case LibraryFormat::Kind::Bits64:
        break;
    }
    if (LibraryFormat::ofFile(path) != LibraryFormat::own()) {
        m_out << "  WRONG KIND: " << fileName << " is "
              << (LibraryFormat::own() == LibraryFormat::Kind::Bits64 ? "a 32-bit" : "a 64-bit")
              << " library; this Telvane is " << own << " and needs the maker's " << own
              << " SDK.\n";
        return false;
    }
    return true;
}

bool SdkCheck::checkLibrary(SdkLibrary &lib, const char *baseName, const int *ordinals, int count)
{
    const std::string fileName = SdkLibrary::fileName(baseName);
    const SdkPath path = SdkLibrary::join(m_directory, fileName);
    m_out << fileName << ":\n";
    if (!checkFormat(path, fileName))
        return false;
    m_out << "  " << SdkFileInfo::read(path).describe() << "\n";
    std::string error;
    if (!lib.open(path, error)) {
        m_out << "  WILL NOT LOAD: " << error
              << "\n  (often a DLL it needs is missing beside it or on the system)\n";
        return false;
    }
    std::string missing;
    for (int i = 0; i < count; ++i) {
        if (!lib.resolve(ordinals[i]))
            missing += (missing.empty() ? "" : ", ") + std::to_string(ordinals[i]);
    }
    if (!missing.empty()) {
        m_out << "  MISSING ORDINALS: " << missing
              << "; this is not the SDK Telvane is built for, or a different edition of it.\n";
        return false;
    }
    m_out << "  loads, and exports all " << count << " ordinals Telvane binds\n";
    return true;
}

namespace {
// No session is opened, so nothing is ever reported to it; an SDK may still
// refuse to start without one.
void TV_SDK_CALL ignoreDisconnect(int, char *, int, void *) {}
} // namespace

bool SdkCheck::initAndCleanUp(const SdkLibrary &net)
{
    // The harmless pair: no server, no login, nothing left running.
    auto init = reinterpret_cast<tvsdk::FnInit>(net.resolve(tvsdk::NetOrdInit));
    auto cleanup = reinterpret_cast<tvsdk::FnCleanup>(net.resolve(tvsdk::NetOrdCleanup));
    m_out << "Start and stop of the device SDK:\n";
    const int nInit = init(&ignoreDisconnect, nullptr);
    cleanup();
    if (nInit == 0) {
        m_out << "  INIT FAILED: its initialise call returned 0; every login would fail.\n";
        return false;
    }
    m_out << "  initialises and cleans up\n";
    return true;
}
