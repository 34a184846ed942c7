#pragma once
// One SDK library loaded from a file, with its functions looked up by
// ordinal. On Windows the ordinal is the export ordinal; elsewhere the
// library exports one resolver function that maps ordinals to functions.
// No Qt here: the Windows build of this file is checked without it.

#include <string>

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

    bool open(const std::string &path, std::string &error);
    void *resolve(int nOrdinal) const;
    bool isOpen() const { return m_handle != nullptr; }

    // Libraries whose threads may outlive main must stay mapped; the binding
    // releases its libraries only in tests.
    void close();

private:
    void *m_handle = nullptr;
    void *m_resolver = nullptr;
};
