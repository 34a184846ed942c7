#pragma once
// Every key of Config.ini and the value a reader gets when it is absent.

namespace ConfigKeys {
constexpr const char *kLoginType = "RemoteCtrlSystem/LoginType";
constexpr const char *kSaveInfo = "RemoteCtrlSystem/SaveInfo";
constexpr const char *kAutoLogin = "RemoteCtrlSystem/AutoLogin";
constexpr const char *kLanguage = "RemoteCtrlTheme/Solution";
constexpr const char *kPort = "RemoteCtrlDevInfo/Port";
constexpr const char *kIp = "RemoteCtrlDevInfo/IP";
constexpr const char *kCloud = "RemoteCtrlDevInfo/Cloud";
constexpr const char *kUserName = "RemoteCtrlDevInfo/UserName";
constexpr const char *kPassword = "RemoteCtrlDevInfo/Password";
constexpr const char *kEncrypt = "RemoteCtrlDevInfo/Encrypt";
constexpr const char *kEncryptCode = "RemoteCtrlDevInfo/EncryptCode";
constexpr const char *kP2PServer = "/SeverSet/SeverIp";

constexpr int kDefaultLoginType = 0;
constexpr int kDefaultSaveInfo = 0;
constexpr int kDefaultAutoLogin = 0;
constexpr const char *kDefaultLanguage = "";
constexpr int kDefaultPort = 34567;
constexpr const char *kDefaultIp = "192.168.1.10";
constexpr const char *kDefaultCloud = "";
constexpr const char *kDefaultUserName = "admin";
constexpr const char *kDefaultPassword = "";
constexpr int kDefaultEncrypt = 0;
constexpr int kDefaultEncryptCode = 0;
constexpr const char *kDefaultP2PServer = "";

constexpr const char *kFileSuffix = "/Config.ini";
} // namespace ConfigKeys
