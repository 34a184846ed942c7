#include "SdkApi.h"

SdkApi &sdkApi()
{
    static SdkApi api;
    return api;
}
