#pragma once
// Opens the session with one recorder and checks that it can be remote-
// controlled: the core shared by the login dialog's interactive login and
// start-up's silent one. Runs on the GUI thread; the SDK calls block it.
//
// The two manners differ only in what they tell the user and in the session
// timing they set, so the dialog hands in how to prompt and how to show that
// a login is in progress, and this class does the rest.

#include <QString>
#include <functional>

struct LoginInput
{
    QString ip;
    QString cloud;
    QString userName;
    QString password;
    QString portText;
    int nLoginType = 0;
    bool bSaveInfo = false;
    bool bAutoLogin = false;
    int nEncrypt = 0;
    int nEncryptCode = 0;
};

struct LoginResult
{
    int nLoginHandle = -1;
    int nChannel = -1;
    int nDevWidth = 0;
    int nDevHeight = 0;
};

class DeviceLogin
{
public:
    enum class Manner
    {
        Interactive,
        Silent
    };
    using Prompt = std::function<void(const QString &message)>;
    using Busy = std::function<void(bool bBusy)>;

    DeviceLogin(Manner manner, Prompt prompt, Busy busy = Busy());

    // True when the session is open and passed every check; `result` holds
    // what the SDK gave either way (-1 after a logout done here).
    bool run(const LoginInput &input, LoginResult &result);

    static QString parseErrorInfo(int nError);
    static bool isValidPort(const QString &portText);
    static bool isValidSerialLength(int nLength);
    // An address with a blank octet ("192.168..1", "...") is missing input.
    static bool hasEmptyOctet(const QString &ip);
    // The login-type index that is used: 1 means cloud, anything else address.
    static int normalLoginType(int nLoginType);

private:
    bool loginByAddress(const LoginInput &input, unsigned char *devInfo, int &nError,
                        LoginResult &result);
    bool loginByCloud(const LoginInput &input, unsigned char *devInfo, int &nError,
                      LoginResult &result);
    bool checkCapabilities(LoginResult &result);
    bool readResolution(LoginResult &result);
    void fail(const QString &message);
    void logout(LoginResult &result);
    void setBusy(bool bBusy);
    static void saveLoginValues(const LoginInput &input);

    Manner m_manner;
    Prompt m_prompt;
    Busy m_busy;
};
