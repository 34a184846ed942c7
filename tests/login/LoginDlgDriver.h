#pragma once
// Reaches the login dialog's widgets the way a user sees them, by object
// name or by label, so that tests click and type instead of calling slots.

#include "CLoginDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

class CMyIpAddrEdit;

class LoginDlgDriver
{
public:
    explicit LoginDlgDriver(CLoginDlg &dialog) : m_dialog(dialog) {}

    QComboBox *loginType() const;
    QComboBox *languageBox() const;
    QLineEdit *edit(const char *name) const;
    CMyIpAddrEdit *ipEdit() const;
    QCheckBox *check(const char *name) const;
    QPushButton *button(const QString &text) const;

    void fillAddress(const QString &ip, const QString &port, const QString &user,
                     const QString &password);
    void fillCloud(const QString &serial, const QString &user, const QString &password);
    void clickLogin();

private:
    CLoginDlg &m_dialog;
};
