#include "LoginDlgDriver.h"

#include "CMyIpAddrEdit.h"

#include <QTest>

QComboBox *LoginDlgDriver::loginType() const
{
    return m_dialog.findChild<QComboBox *>("comboBoxLoginType");
}

QComboBox *LoginDlgDriver::languageBox() const
{
    return m_dialog.findChild<QComboBox *>("LanguageBox");
}

QLineEdit *LoginDlgDriver::edit(const char *name) const
{
    return m_dialog.findChild<QLineEdit *>(name);
}

CMyIpAddrEdit *LoginDlgDriver::ipEdit() const
{
    return m_dialog.findChild<CMyIpAddrEdit *>();
}

QCheckBox *LoginDlgDriver::check(const char *name) const
{
    return m_dialog.findChild<QCheckBox *>(name);
}

QPushButton *LoginDlgDriver::button(const QString &text) const
{
    for (QPushButton *b : m_dialog.findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

void LoginDlgDriver::fillAddress(const QString &ip, const QString &port, const QString &user,
                                 const QString &password)
{
    loginType()->setCurrentIndex(0);
    ipEdit()->setText(ip);
    edit("lineEditPort")->setText(port);
    edit("lineEditUserName")->setText(user);
    edit("lineEditPassword")->setText(password);
}

void LoginDlgDriver::fillCloud(const QString &serial, const QString &user, const QString &password)
{
    loginType()->setCurrentIndex(1);
    edit("lineEditCloud")->setText(serial);
    edit("lineEditUserName")->setText(user);
    edit("lineEditPassword")->setText(password);
}

void LoginDlgDriver::clickLogin()
{
    QTest::mouseClick(button("Login"), Qt::LeftButton);
}
