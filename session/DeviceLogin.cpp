#include "DeviceLogin.h"

#include "AppConfig.h"
#include "ConfigKeys.h"
#include "SdkApi.h"
#include "TraceText.h"

#include <QCoreApplication>
#include <QDebug>
#include <QRegExp>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>

using namespace tvsdk;

namespace {
constexpr int kAddressConnectMs = 2000;
constexpr int kCloudConnectMs = 8000;
constexpr int kConnectTries = 2;
constexpr int kInteractiveKeepAlive = 5;
constexpr int kInteractiveDeadTime = 10;
constexpr int kSilentKeepAlive = 3;
constexpr int kSilentDeadTime = 6;
constexpr int kMaxPort = 65535;
constexpr int kLoginTypeAddress = 0;
constexpr int kLoginTypeCloud = 1;
// The password never reaches the debug output, where any debugger or log
// collector on the desk machine would read it.
constexpr const char *kPasswordMask = "******";

// The texts are the login dialog's: this class does the dialog's login and
// translates in its context.

// The SDK's text in the record is bounded by the record itself, whether or
// not the SDK terminated it; it comes from the recorder, so it is escaped.
QString errorText(const unsigned char *devInfo)
{
    const char *text = reinterpret_cast<const char *>(devInfo + DeviceInfo::kErrorText);
    const std::size_t room = DeviceInfo::kSize - DeviceInfo::kErrorText;
    return TraceText::escaped(QString::fromLocal8Bit(text, int(strnlen(text, room))));
}

QString failure(const QString &what, int nRet)
{
    return QStringLiteral("%1 nRet = %2").arg(what).arg(nRet);
}
} // namespace

DeviceLogin::DeviceLogin(Manner manner, Prompt prompt, Busy busy)
    : m_manner(manner), m_prompt(std::move(prompt)), m_busy(std::move(busy))
{
}

QString DeviceLogin::parseErrorInfo(int nError)
{
    switch (nError) {
    case ErrTimeOut:
        return QCoreApplication::translate("CLoginDlg", "Time Out");
    case ErrNoPower:
        return QCoreApplication::translate("CLoginDlg", "No Power");
    case ErrPasswordWrong:
    case ErrPasswordWrong2:
    case ErrPasswordWrong3:
    case ErrPasswordWrong4:
    case ErrLoginCodeWrong:
        return QCoreApplication::translate("CLoginDlg", "Password Error");
    case ErrUserNotExist:
        return QCoreApplication::translate("CLoginDlg", "User Not Exist");
    case ErrUserLocked:
        return QCoreApplication::translate("CLoginDlg", "User Locked");
    case ErrUserInBlacklist:
        return QCoreApplication::translate("CLoginDlg", "User In Blacklist");
    case ErrNotFindDevice:
        return QCoreApplication::translate("CLoginDlg", "Not Find Device");
    case ErrUserReserved:
        return QCoreApplication::translate("CLoginDlg", "User Reserved");
    default:
        return QString::number(nError);
    }
}

bool DeviceLogin::isValidPort(const QString &portText)
{
    // Anything else would be cut to 16 bits and reach another port.
    static const QRegExp digits(QStringLiteral("[0-9]{1,5}"));
    return digits.exactMatch(portText) && portText.toInt(nullptr, 10) <= kMaxPort;
}

bool DeviceLogin::isValidSerialLength(int nLength)
{
    return nLength == 10 || nLength == 12 || nLength == 16 || nLength == 20;
}

bool DeviceLogin::hasEmptyOctet(const QString &ip)
{
    const QStringList octets = ip.split(QLatin1Char('.'));
    return std::any_of(octets.cbegin(), octets.cend(),
                       [](const QString &octet) { return octet.isEmpty(); });
}

int DeviceLogin::normalLoginType(int nLoginType)
{
    return nLoginType == kLoginTypeCloud ? kLoginTypeCloud : kLoginTypeAddress;
}

bool DeviceLogin::run(const LoginInput &input, LoginResult &result)
{
    std::array<unsigned char, DeviceInfo::kSize> devInfo{};
    if (input.nEncrypt != 0)
        writeInt32(devInfo.data(), DeviceInfo::kLoginCode, input.nEncryptCode);
    int nError = 0;
    const bool bLoggedIn = normalLoginType(input.nLoginType) == kLoginTypeAddress
                               ? loginByAddress(input, devInfo.data(), nError, result)
                               : loginByCloud(input, devInfo.data(), nError, result);
    if (!bLoggedIn)
        return false;
    if (result.nLoginHandle < 1) {
        fail(QStringLiteral("%1 %2").arg(QCoreApplication::translate("CLoginDlg", "Login Fail"),
                                         parseErrorInfo(nError)));
        return false;
    }
    if (m_manner == Manner::Interactive)
        sdkApi().setKeepLife(result.nLoginHandle, kInteractiveKeepAlive, kInteractiveDeadTime);
    // Any two counts a device SDK reports: the sum wraps as 32-bit
    // arithmetic does instead of overflowing a signed int.
    result.nChannel = int(std::uint32_t(readInt32(devInfo.data(), DeviceInfo::kChannelBaseA)) +
                          std::uint32_t(readInt32(devInfo.data(), DeviceInfo::kChannelBaseB)));
    if (!checkCapabilities(result))
        return false;
    saveLoginValues(input);
    if (m_manner == Manner::Silent)
        sdkApi().setKeepLife(result.nLoginHandle, kSilentKeepAlive, kSilentDeadTime);
    return true;
}

bool DeviceLogin::loginByAddress(const LoginInput &input, unsigned char *devInfo, int &nError,
                                 LoginResult &result)
{
    if (hasEmptyOctet(input.ip) || input.portText.isEmpty() || input.userName.isEmpty() ||
        !isValidPort(input.portText)) {
        fail(QCoreApplication::translate("CLoginDlg", "Input Device Information"));
        return false;
    }
    setBusy(true);
    const int nPort = input.portText.toInt(nullptr, 10);
    if (m_manner == Manner::Interactive)
        sdkApi().setConnectTime(kAddressConnectMs, kConnectTries);
    result.nLoginHandle = sdkApi().login(
        input.ip.toLocal8Bit().constData(), static_cast<unsigned short>(nPort),
        input.userName.toLocal8Bit().constData(), input.password.toLocal8Bit().constData(), devInfo,
        &nError, kLoginKindAddress);
    qDebug().noquote() << "IP:" << TraceText::escaped(input.ip) << "Port:" << nPort
                       << "UserName:" << TraceText::escaped(input.userName)
                       << "Password:" << kPasswordMask << "Error:" << errorText(devInfo);
    setBusy(false);
    return true;
}

bool DeviceLogin::loginByCloud(const LoginInput &input, unsigned char *devInfo, int &nError,
                               LoginResult &result)
{
    if (!isValidSerialLength(input.cloud.length())) {
        fail(QCoreApplication::translate("CLoginDlg", "Wrong serial format!"));
        return false;
    }
    if (input.cloud.isEmpty() || input.userName.isEmpty()) {
        fail(QCoreApplication::translate("CLoginDlg", "Input Device Information"));
        return false;
    }
    if (m_manner == Manner::Interactive)
        sdkApi().setConnectTime(kCloudConnectMs, kConnectTries);
    setBusy(true);
    result.nLoginHandle = sdkApi().login(
        input.cloud.toLocal8Bit().constData(), 0, input.userName.toLocal8Bit().constData(),
        input.password.toLocal8Bit().constData(), devInfo, &nError, kLoginKindCloud);
    qDebug().noquote() << "Cloud:" << TraceText::escaped(input.cloud)
                       << "UserName:" << TraceText::escaped(input.userName)
                       << "Password:" << kPasswordMask << "Error:" << errorText(devInfo);
    setBusy(false);
    if (result.nLoginHandle > 0) {
        nError = sdkApi().getLastError();
        if (nError == kErrorAgentLogin) {
            // The one message the silent login shows too.
            m_prompt(QCoreApplication::translate("CLoginDlg", "Agent login, unable to operate"));
            logout(result);
            return false;
        }
    }
    return true;
}

bool DeviceLogin::checkCapabilities(LoginResult &result)
{
    std::array<unsigned char, SystemFunction::kSize> function{};
    int nReturned = 0;
    int nRet = sdkApi().getDevConfig(result.nLoginHandle, kCmdSystemFunction, kConfigChannelAll,
                                     function.data(), int(function.size()), &nReturned,
                                     kSystemFunctionTimeoutMs);
    if (nRet < 0) {
        fail(failure(QCoreApplication::translate("CLoginDlg", "Get System Function Fail"), nRet));
        logout(result);
        return false;
    }
    if (function[SystemFunction::kRemoteCtrlFlag] == 0) {
        fail(QStringLiteral("%1").arg(
            QCoreApplication::translate("CLoginDlg", "Device Not Support Remote Ctrl")));
        logout(result);
        return false;
    }
    return readResolution(result);
}

bool DeviceLogin::readResolution(LoginResult &result)
{
    std::array<unsigned char, DisplayResolution::kSize> resolution{};
    int nReturned = 0;
    const int nRet = sdkApi().getDevConfig(
        result.nLoginHandle, kCmdDisplayResolution, kConfigChannelAll, resolution.data(),
        int(resolution.size()), &nReturned, kDisplayResolutionTimeoutMs);
    const int nWidth = readInt32(resolution.data(), DisplayResolution::kWidth);
    const int nHeight = readInt32(resolution.data(), DisplayResolution::kHeight);
    // Without a size no mouse position can be scaled: the session would open
    // and then drop every click.
    if (nRet < 0 || nWidth <= 0 || nHeight <= 0) {
        fail(failure(QCoreApplication::translate("CLoginDlg", "Get VGA Resolution Fail"), nRet));
        logout(result);
        return false;
    }
    result.nDevWidth = nWidth;
    result.nDevHeight = nHeight;
    return true;
}

void DeviceLogin::saveLoginValues(const LoginInput &input)
{
    using namespace ConfigKeys;
    AppConfig::write(kLoginType, normalLoginType(input.nLoginType));
    AppConfig::write(kSaveInfo, input.bSaveInfo ? 1 : 0);
    AppConfig::write(kAutoLogin, input.bAutoLogin ? 1 : 0);
    if (!input.bSaveInfo)
        return;
    AppConfig::write(kPort, input.portText);
    AppConfig::write(kIp, input.ip);
    AppConfig::write(kCloud, input.cloud);
    AppConfig::write(kUserName, input.userName);
    AppConfig::write(kPassword, input.password);
}

void DeviceLogin::fail(const QString &message)
{
    if (m_manner == Manner::Interactive)
        m_prompt(message);
}

void DeviceLogin::logout(LoginResult &result)
{
    sdkApi().logout(result.nLoginHandle);
    result.nLoginHandle = -1;
}

void DeviceLogin::setBusy(bool bBusy)
{
    if (m_manner == Manner::Interactive && m_busy)
        m_busy(bBusy);
}
