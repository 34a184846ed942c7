; The per-user installer of Telvane for 64-bit Windows, built by
; tools/windows/package with Debian's makensis:
;   makensis -DVERSION=1.0.0 -DOUTFILE=<setup.exe> -DICON=<.ico> \
;            -DFILES=<.nsh> -DUNFILES=<.nsh> [-DSIGN=<command>] telvane.nsi
; FILES holds the File commands for the application folder and UNFILES the
; matching Delete and RMDir commands, both written from the same folder by
; the package script; SDKNET and SDKPLAY are the two SDK stand-ins, which
; the SDK section below handles apart. SIGN, when defined, is run on the uninstaller and on
; the installer with the file's path appended, and must succeed.
;
; It installs for the current user only, with no elevation, into the user's
; local programs folder: a folder the user can write to, as the program
; needs for Config.ini beside telvane.exe. Config.ini is the user's data:
; upgrades and the uninstaller leave it where it is.
;
; Options for silent deployment (/S), written to Config.ini only when given:
;   /SEVERIP=<host or address>   [SeverSet] SeverIp, the P2P server
;   /ENCRYPT=<integer>           [RemoteCtrlDevInfo] Encrypt
;   /ENCRYPTCODE=<integer>       [RemoteCtrlDevInfo] EncryptCode
; A value the program would misread stops the installer before it changes
; anything, with exit code 2.
;
; NetSDK.dll and H264Play.dll may be the recorder maker's, put in the folder
; by the user in place of this project's stand-ins. The installer records
; what it put there (size, version and time of each file, in its entry in
; the installed programs); an uninstaller, and so an upgrade, removes a DLL
; only when it is still that very file, and the installer puts a stand-in
; only where no DLL is. The user's DLLs stay, and the details say so.

Unicode true
Target ${TARGET}
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Telvane"
!define PUBLISHER "The Telvane developers"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; The SDK keeps the P2P server in a 64-byte buffer with its terminating zero.
!define MAX_SERVER_LENGTH 63

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; A newer installer goes where the last one went.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!ifdef SIGN
!uninstfinalize '"${SIGN}" "%1"' = 0
!finalize '"${SIGN}" "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\telvane.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var SeverIp
Var HaveSeverIp
Var Encrypt
Var HaveEncrypt
Var EncryptCode
Var HaveEncryptCode

; Stops the installer before it has changed anything: a silent deployment
; must not report success with a setting the program would read otherwise.
!macro Refuse TEXT
    MessageBox MB_ICONSTOP|MB_OK "${TEXT}" /SD IDOK
    SetErrorLevel 2
    Quit
!macroend

; IsInteger <text> <out>: out is 1 when text is a decimal integer the
; program reads back as the same number (no sign but '-', no leading zero,
; no hexadecimal, within 32 bits), else 0. NSIS reads the text back to a
; number and prints it again; only a canonical integer survives unchanged.
!macro IsInteger TEXT OUT
    IntOp ${OUT} ${TEXT} + 0
    ${If} "${OUT}" S== "${TEXT}"
        StrCpy ${OUT} 1
    ${Else}
        StrCpy ${OUT} 0
    ${EndIf}
!macroend

; IsServerAddress: $R0 is the text; $R1 becomes 1 when it is a host name
; or an address with an optional port, which the settings file holds
; unquoted and the SDK takes as it is, else 0.
Function IsServerAddress
    Push $R2
    Push $R3
    Push $R4
    Push $R5
    Push $R6
    StrCpy $R1 1
    StrLen $R2 $R0
    ${If} $R2 > ${MAX_SERVER_LENGTH}
        StrCpy $R1 0
    ${EndIf}
    StrCpy $R3 0
    ${While} $R1 == 1
        ${If} $R3 >= $R2
            ${Break}
        ${EndIf}
        StrCpy $R4 $R0 1 $R3
        ; Compared case-sensitively, one character at a time: NSIS's plain
        ; comparison ignores case by the system's rules.
        StrCpy $R5 "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:_"
        StrCpy $R1 0
        ${Do}
            StrCpy $R6 $R5 1
            ${If} $R6 == ""
                ${Break}
            ${EndIf}
            ${If} $R6 S== $R4
                StrCpy $R1 1
                ${Break}
            ${EndIf}
            StrCpy $R5 $R5 "" 1
        ${Loop}
        IntOp $R3 $R3 + 1
    ${EndWhile}
    Pop $R6
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R2
FunctionEnd

; The SDK DLLs, told apart by what the installer recorded of its own.
!macro SdkFingerprint UN
; $R0: a file; $R1 becomes "size:version:time", or "" when there is none.
Function ${UN}SdkFingerprint
    Push $R2
    Push $R3
    Push $R4
    StrCpy $R1 ""
    ${If} ${FileExists} "$R0"
        FileOpen $R2 "$R0" r
        FileSeek $R2 0 END $R3
        FileClose $R2
        ClearErrors
        GetDLLVersion "$R0" $R2 $R4
        ${If} ${Errors}
            StrCpy $R2 "-"
            StrCpy $R4 "-"
        ${EndIf}
        StrCpy $R1 "$R3:$R2.$R4"
        ClearErrors
        GetFileTime "$R0" $R2 $R4
        ${IfNot} ${Errors}
            StrCpy $R1 "$R1:$R2.$R4"
        ${EndIf}
    ${EndIf}
    Pop $R4
    Pop $R3
    Pop $R2
FunctionEnd
!macroend
!insertmacro SdkFingerprint ""
!insertmacro SdkFingerprint "un."

; After the earlier version's uninstaller, a DLL still in the folder is not
; one this installer's line put there: the user's, which stays.
!macro InstallSdkFile NAME SOURCE
    StrCpy $R0 "$INSTDIR\${NAME}"
    ${If} ${FileExists} "$R0"
        DetailPrint "Keeping ${NAME}: it was not installed by ${PRODUCT} (the recorder maker's SDK?), so the stand-in is not written over it."
        DeleteRegValue HKCU "${UNINST_KEY}" "Installed ${NAME}"
    ${Else}
        SetOutPath "$INSTDIR"
        File "/oname=${NAME}" "${SOURCE}"
        Call SdkFingerprint
        WriteRegStr HKCU "${UNINST_KEY}" "Installed ${NAME}" "$R1"
    ${EndIf}
!macroend

!macro RemoveSdkFile NAME
    StrCpy $R0 "$INSTDIR\${NAME}"
    ReadRegStr $R2 HKCU "${UNINST_KEY}" "Installed ${NAME}"
    Call un.SdkFingerprint
    ${If} $R1 == ""
        ; nothing there
    ${ElseIf} $R2 != ""
    ${AndIf} $R1 == $R2
        Delete "$R0"
    ${Else}
        DetailPrint "Keeping ${NAME}: it is not the file ${PRODUCT} installed (the recorder maker's SDK?)."
    ${EndIf}
!macroend

Function .onInit
    StrCpy $HaveSeverIp 0
    StrCpy $HaveEncrypt 0
    StrCpy $HaveEncryptCode 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/SEVERIP=" $SeverIp
    ${IfNot} ${Errors}
        StrCpy $R0 $SeverIp
        Call IsServerAddress
        ${If} $R1 != 1
            !insertmacro Refuse "/SEVERIP= takes a host name or an IPv4 address (with an optional :port) of at most ${MAX_SERVER_LENGTH} characters, not $\"$SeverIp$\"."
        ${EndIf}
        StrCpy $HaveSeverIp 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/ENCRYPT=" $Encrypt
    ${IfNot} ${Errors}
        !insertmacro IsInteger $Encrypt $1
        ${If} $1 != 1
            !insertmacro Refuse "/ENCRYPT= takes an integer (0 off, 1 on), not $\"$Encrypt$\"."
        ${EndIf}
        StrCpy $HaveEncrypt 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/ENCRYPTCODE=" $EncryptCode
    ${IfNot} ${Errors}
        !insertmacro IsInteger $EncryptCode $1
        ${If} $1 != 1
            !insertmacro Refuse "/ENCRYPTCODE= takes an integer, not $\"$EncryptCode$\"."
        ${EndIf}
        StrCpy $HaveEncryptCode 1
    ${EndIf}
FunctionEnd

; WriteSetting <section> <key> <value>: a failed write fails the install.
!macro WriteSetting SECTION KEY VALUE
    ClearErrors
    WriteINIStr "$INSTDIR\Config.ini" "${SECTION}" "${KEY}" "${VALUE}"
    ${If} ${Errors}
        SetErrorLevel 2
        Abort "Cannot write ${SECTION}/${KEY} to $INSTDIR\Config.ini."
    ${EndIf}
    DetailPrint "Config.ini: [${SECTION}] ${KEY}=${VALUE}"
!macroend

Section "${PRODUCT}" SectionMain
    SectionIn RO
    ; An earlier installation leaves through its own uninstaller, so that no
    ; file a newer version no longer ships stays behind. Config.ini stays.
    ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\Uninstall.exe"
        DetailPrint "Removing the installed version from $0"
        ExecWait '"$0\Uninstall.exe" /S _?=$0'
        Delete "$0\Uninstall.exe"
    ${EndIf}

    !include "${FILES}"
    !insertmacro InstallSdkFile "NetSDK.dll" "${SDKNET}"
    !insertmacro InstallSdkFile "H264Play.dll" "${SDKPLAY}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ${If} $HaveSeverIp == 1
        !insertmacro WriteSetting "SeverSet" "SeverIp" "$SeverIp"
    ${EndIf}
    ${If} $HaveEncrypt == 1
        !insertmacro WriteSetting "RemoteCtrlDevInfo" "Encrypt" "$Encrypt"
    ${EndIf}
    ${If} $HaveEncryptCode == 1
        !insertmacro WriteSetting "RemoteCtrlDevInfo" "EncryptCode" "$EncryptCode"
    ${EndIf}

    CreateShortcut "${SHORTCUT}" "$INSTDIR\telvane.exe" "" "$INSTDIR\telvane.exe" 0

    WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\telvane.exe,0"
    WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    !insertmacro RemoveSdkFile "NetSDK.dll"
    !insertmacro RemoveSdkFile "H264Play.dll"
    !include "${UNFILES}"
    Delete "$INSTDIR\Uninstall.exe"
    ; Stays while Config.ini, the user's settings, or the user's SDK DLLs
    ; are in it.
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
