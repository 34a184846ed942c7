#pragma once
// One SDK library loaded from a file, with its functions looked up by
// ordinal. On Windows the ordinal is the export ordinal; elsewhere the
// library exports one resolver function that maps ordinals to functions.
// No Qt here: the Windows build of this file is checked without it.

#include <string>

// A path as the platform's loader takes it: on Windows UTF-16, so that a
// folder name outside the system's 8-bit code page still loads; elsewhere
// the file name's bytes.
#ifdef _WIN32
using SdkPath = std::wstring;
#else
using SdkPath = std::string;
#endif

class SdkLibrary
{
public:
    SdkLibrary() = default;
    ~SdkLibrary();
    SdkLibrary(const SdkLibrary &) = delete;
    SdkLibrary &operator=(const SdkLibrary &) = delete;

    // The file name of a library on this platform: "NetSDK" gives NetSDK.dll
    // or libNetSDK.so.
    static std::string fileName(const std::string &baseName);
    // directory + "/" + fileName, where fileName is plain ASCII.
    static SdkPath join(const SdkPath &directory, const std::string &fileName);
#ifdef _WIN32
    // The path with '\' for '/': join() and the caller's directory use '/',
    // which the loader does not promise to accept.
    static std::wstring nativePath(std::wstring path);
#endif

    // On failure `error` names the file and why, in UTF-8 on Windows and in
    // the file name's own encoding elsewhere.
    bool open(const SdkPath &path, std::string &error);
    void *resolve(int nOrdinal) const;
    bool isOpen() const
    {
        return m_handle != nullptr;
    }

    // Libraries whose threads may outlive main must stay mapped; the binding
    // releases its libraries only in tests.
    void close();

private:
    void *m_handle = nullptr;
    void *m_resolver = nullptr;
};
