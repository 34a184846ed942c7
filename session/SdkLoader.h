#pragma once
// Binds the device SDK and the play SDK from a folder into the program's SDK
// table and writes to the debug output which two files it bound and their
// versions: the one place an administrator can see which SDK a run used.
// Holds none of the SDK's contract, so code that must not see it can bind.

#include <QString>

class SdkLoader
{
public:
    // On failure `error` names the file and why, and the table is untouched.
    static bool load(const QString &directory, QString &error);
};
