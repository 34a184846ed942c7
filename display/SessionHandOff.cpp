#include "SessionHandOff.h"

#include "CTelvane.h"
#include "DeviceLogin.h"

bool SessionHandOff::play(CTelvane &window, const LoginResult &login, const Prepare &prepare)
{
    window.setLoginResult(login.nLoginHandle, login.nChannel, login.nDevWidth, login.nDevHeight);
    window.show();
    if (prepare && !prepare(window))
        return false;
    return window.startRealPlay() > 0;
}
