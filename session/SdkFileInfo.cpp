#include "SdkFileInfo.h"

std::string SdkFileInfo::describe() const
{
    if (!bHasVersion)
        return "no version (" + error + ")";
    return "version " + version + ", made by " + (company.empty() ? "(no maker named)" : company);
}
