#pragma once
// The first window: where the user says which recorder to log into and how.
// It fills itself from Config.ini, runs the interactive login on Login or
// Return, and is also the holder of the silent login start-up tries first.
// GUI thread only.

#include "DeviceLogin.h"
#include "ui_CLoginDlg.h"

#include <QDialog>
#include <QPointer>

class CTitleWidget;
class QComboBox;

class CLoginDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CLoginDlg(QWidget *parent = nullptr);
    ~CLoginDlg() override;

    // The seven command-line values, in the order start-up receives them.
    void setLoginInfo(const QString &loginType, const QString &ip, const QString &cloud,
                      const QString &port, const QString &userName, const QString &password,
                      const QString &language);

    // What the last login gave: after a successful one, the open session
    // that start-up hands to the main window (SessionHandOff).
    const LoginResult &loginResult() const { return m_loginResult; }

public slots:
    void onCloseWindow();
    void on_btnLogin_clicked();
    bool onLoginDevice();
    void onLoginTypeChanged(int nIndex);
    void onLanguageChanged(int nIndex);
    void onCheckAutoLogin(int nState);
    QString parseErrorInfo(int nError);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void loadLoginInfo();
    LoginInput readInput() const;
    bool runLogin(bool bInteractive);
    void showPrompt(const QString &message);
    void setLoginBusy(bool bBusy);
    void beginLoginBusy();
    void endLoginBusy();
    void discardQueuedInput();

    LoginResult m_loginResult;
    int m_nEncrypt;
    int m_nEncryptCode;
    Ui::CLoginDlg ui;
    CTitleWidget *m_pTitleWidget;
    QComboBox *m_pLanguageBox;
    QString m_strLanguage;
    bool m_bDiscardingInput = false;
    bool m_bLoginBusy = false;
    QPointer<QWidget> m_pFocusBeforeLogin;
};
