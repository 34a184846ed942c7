#include "CLoginDlg.h"

#include "AppConfig.h"
#include "CMessageBox.h"
#include "CTitleWidget.h"
#include "ConfigKeys.h"
#include "DecimalValidator.h"
#include "DeviceLogin.h"
#include "Relauncher.h"
#include "WindowBorder.h"
#include "WindowCentring.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>

using namespace ConfigKeys;

namespace {
constexpr int kWidth = 550;
constexpr int kHeightAddress = 450;
constexpr int kHeightCloud = 400;
constexpr int kHeightStart = 420;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 30;
constexpr int kLanguageWidth = 100;
constexpr int kLanguageHeight = 30;
constexpr int kLanguageRightOffset = 160;
constexpr int kMaxPort = 65535;
constexpr int kDrainInputMs = 100;
} // namespace

CLoginDlg::CLoginDlg(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("MainFrame"));
    ui.TitleFrame->setObjectName(QStringLiteral("TitleWidget"));

    m_pTitleWidget = new CTitleWidget(this, false);
    auto *titleLayout = new QHBoxLayout(ui.TitleFrame);
    titleLayout->setContentsMargins(10, 0, 10, 0);
    titleLayout->addWidget(m_pTitleWidget);
    connect(m_pTitleWidget, SIGNAL(closeSignal()), this, SLOT(onCloseWindow()));
    connect(ui.btnCancel, SIGNAL(clicked()), this, SLOT(onCloseWindow()));

    ui.comboBoxLoginType->setView(new QListView());
    ui.comboBoxLoginType->addItem(tr("IP"));
    ui.comboBoxLoginType->addItem(tr("Cloud"));
    ui.lineEditPassword->setEchoMode(QLineEdit::Password);
    ui.lineEditPort->setValidator(new DecimalValidator(kMaxPort, this));
    ui.lineEditCloud->hide();
    ui.labelCloud->hide();
    connect(ui.comboBoxLoginType, SIGNAL(currentIndexChanged(int)), this,
            SLOT(onLoginTypeChanged(int)));
    connect(ui.checkBoxAutoLogin, SIGNAL(stateChanged(int)), this, SLOT(onCheckAutoLogin(int)));
    for (QPushButton *button : {ui.btnCancel, ui.btnLogin}) {
        button->setObjectName(QStringLiteral("WhiteToolButton"));
        button->setFixedSize(kButtonWidth, kButtonHeight);
    }
    ui.lineEditPassword->setAttribute(Qt::WA_InputMethodEnabled, false);

    m_pLanguageBox = new QComboBox(ui.TitleFrame);
    m_pLanguageBox->setObjectName(QStringLiteral("LanguageBox"));
    m_pLanguageBox->setView(new QListView());
    m_pLanguageBox->addItem(tr("English"), QStringLiteral("English"));
    m_pLanguageBox->addItem(tr("Russian"), QStringLiteral("Russian"));
    m_pLanguageBox->setFixedSize(kLanguageWidth, kLanguageHeight);
    m_pLanguageBox->move(width() - kLanguageRightOffset,
                         ui.TitleFrame->height() / 2 - kLanguageHeight / 2);
    connect(m_pLanguageBox, SIGNAL(currentIndexChanged(int)), this, SLOT(onLanguageChanged(int)));
    // A choice restarts the program and drops what was typed: a wheel turn
    // made in passing is no choice.
    m_pLanguageBox->installEventFilter(this);

    loadLoginInfo();

    resize(kWidth, kHeightStart);
    WindowCentring::centre(this);
}

CLoginDlg::~CLoginDlg() = default;

void CLoginDlg::loadLoginInfo()
{
    const int nLoginType = AppConfig::readInt(kLoginType, kDefaultLoginType);
    const int nSaveInfo = AppConfig::readInt(kSaveInfo, kDefaultSaveInfo);
    const int nAutoLogin = AppConfig::readInt(kAutoLogin, kDefaultAutoLogin);
    const QString language = AppConfig::readText(kLanguage, kDefaultLanguage);
    const int nPort = AppConfig::readInt(kPort, kDefaultPort);
    const QString ip = AppConfig::readText(kIp, kDefaultIp);
    const QString cloud = AppConfig::readText(kCloud, kDefaultCloud);
    const QString userName = AppConfig::readText(kUserName, kDefaultUserName);
    const QString password = AppConfig::readText(kPassword, kDefaultPassword);
    m_nEncrypt = AppConfig::readInt(kEncrypt, kDefaultEncrypt);
    m_nEncryptCode = AppConfig::readInt(kEncryptCode, kDefaultEncryptCode);

    ui.checkBoxSaveInfo->setChecked(nSaveInfo != 0);
    ui.checkBoxAutoLogin->setChecked(nAutoLogin != 0);
    ui.comboBoxLoginType->setCurrentIndex(DeviceLogin::normalLoginType(nLoginType));
    ui.lineEditIP->setText(ip);
    ui.lineEditCloud->setText(cloud);
    ui.lineEditPassword->setText(password);
    ui.lineEditUserName->setText(userName);
    ui.lineEditPort->setText(QStringLiteral("%1").arg(nPort));
    m_pLanguageBox->setCurrentIndex(language == QLatin1String("Russian") ? 1 : 0);
}

void CLoginDlg::setLoginInfo(const QString &loginType, const QString &ip, const QString &cloud,
                             const QString &port, const QString &userName, const QString &password,
                             const QString &language)
{
    ui.comboBoxLoginType->setCurrentIndex(
        DeviceLogin::normalLoginType(loginType.toInt(nullptr, 10)));
    ui.lineEditIP->setText(ip);
    ui.lineEditCloud->setText(cloud);
    ui.lineEditPassword->setText(password);
    ui.lineEditUserName->setText(userName);
    ui.lineEditPort->setText(port);
    if (ui.checkBoxSaveInfo->isChecked())
        AppConfig::write(kLanguage, language);
}

void CLoginDlg::onCloseWindow()
{
    reject();
}

LoginInput CLoginDlg::readInput() const
{
    LoginInput input;
    input.ip = ui.lineEditIP->text();
    input.cloud = ui.lineEditCloud->text();
    input.userName = ui.lineEditUserName->text();
    input.password = ui.lineEditPassword->text();
    input.portText = ui.lineEditPort->text();
    input.nLoginType = ui.comboBoxLoginType->currentIndex();
    input.bSaveInfo = ui.checkBoxSaveInfo->isChecked();
    input.bAutoLogin = ui.checkBoxAutoLogin->isChecked();
    input.nEncrypt = m_nEncrypt;
    input.nEncryptCode = m_nEncryptCode;
    return input;
}

bool CLoginDlg::runLogin(bool bInteractive)
{
    DeviceLogin login(
        bInteractive ? DeviceLogin::Manner::Interactive : DeviceLogin::Manner::Silent,
        [this](const QString &message) { showPrompt(message); },
        [this](bool bBusy) { setLoginBusy(bBusy); });
    LoginResult result = m_loginResult;
    const bool bOk = login.run(readInput(), result);
    setLoginBusy(false); // whichever way the login ended
    m_loginResult = result;
    return bOk;
}

void CLoginDlg::on_btnLogin_clicked()
{
    if (runLogin(true))
        accept();
}

bool CLoginDlg::onLoginDevice()
{
    return runLogin(false);
}

QString CLoginDlg::parseErrorInfo(int nError)
{
    return DeviceLogin::parseErrorInfo(nError);
}

void CLoginDlg::setLoginBusy(bool bBusy)
{
    if (bBusy == m_bLoginBusy)
        return;
    m_bLoginBusy = bBusy;
    if (bBusy)
        beginLoginBusy();
    else
        endLoginBusy();
}

void CLoginDlg::beginLoginBusy()
{
    // A disabled focus widget hands the focus on to the next one, Cancel,
    // which would then light up and take the next Return.
    m_pFocusBeforeLogin = focusWidget();
    if (m_pFocusBeforeLogin == ui.btnLogin)
        ui.btnLogin->clearFocus();
    ui.btnLogin->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Lets the disabled button be drawn before the SDK call blocks. Input
    // stays queued: a Cancel or a language change handled now would act
    // on a dialog whose login then goes on.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CLoginDlg::endLoginBusy()
{
    discardQueuedInput();
    ui.btnLogin->setEnabled(true);
    // So that the next Return, once the outcome is answered, logs in again.
    QWidget *focus = m_pFocusBeforeLogin;
    if (!focus || !focus->isEnabled() || !focus->isVisible())
        focus = ui.btnLogin;
    focus->setFocus(Qt::OtherFocusReason);
    QApplication::restoreOverrideCursor();
}

void CLoginDlg::discardQueuedInput()
{
    // Clicks and keys made while the login blocked were aimed at a dialog
    // whose outcome the user had not seen yet. Handled later, a Cancel would
    // close the dialog under the notice that follows or undo a success, and
    // a Return would log in again.
    m_bDiscardingInput = true;
    qApp->installEventFilter(this);
    // The repaint pass left that input queued and told the dispatcher it was
    // handled; without a new wake-up it would wait for the next event.
    QAbstractEventDispatcher::instance()->wakeUp();
    QCoreApplication::processEvents(QEventLoop::AllEvents, kDrainInputMs);
    qApp->removeEventFilter(this);
    m_bDiscardingInput = false;
}

bool CLoginDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pLanguageBox && event->type() == QEvent::Wheel)
        return true;
    if (m_bDiscardingInput && event->spontaneous() && dynamic_cast<QInputEvent *>(event))
        return true;
    return QDialog::eventFilter(watched, event);
}

void CLoginDlg::onLoginTypeChanged(int nIndex)
{
    if (nIndex < 0)
        return;
    const bool bAddress = nIndex == 0;
    ui.lineEditIP->setVisible(bAddress);
    ui.labelIP->setVisible(bAddress);
    ui.lineEditPort->setVisible(bAddress);
    ui.labelPort->setVisible(bAddress);
    ui.lineEditCloud->setVisible(!bAddress);
    ui.labelCloud->setVisible(!bAddress);
    resize(kWidth, bAddress ? kHeightAddress : kHeightCloud);
    WindowCentring::keepOnScreen(this);
}

void CLoginDlg::onCheckAutoLogin(int nState)
{
    if (nState != 0)
        ui.checkBoxSaveInfo->setChecked(true);
}

void CLoginDlg::onLanguageChanged(int nIndex)
{
    if (nIndex < 0)
        return;
    m_strLanguage = m_pLanguageBox->itemData(nIndex).toString();
    if (AppConfig::readText(kLanguage, kDefaultLanguage) == m_strLanguage)
        return;
    // On disk before the new instance reads it.
    AppConfig::writeSynced(kLanguage, m_strLanguage);
    QApplication::closeAllWindows();
    QCoreApplication::exit(Relauncher::kRestartCode);
    Relauncher::relaunch();
}

void CLoginDlg::showPrompt(const QString &message)
{
    CMessageBox::information(QApplication::activeWindow(), tr("Prompt"), message, tr("OK"),
                             QString(), QString(), 0, -1, false);
}

void CLoginDlg::keyPressEvent(QKeyEvent *event)
{
    // Only the main keyboard's Return logs in; a Return that arrives while a
    // login is already running (the button is disabled) is dropped.
    if (event->key() == Qt::Key_Return) {
        if (ui.btnLogin->isEnabled())
            on_btnLogin_clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CLoginDlg::paintEvent(QPaintEvent *event)
{
    WindowBorder::paint(this);
    QWidget::paintEvent(event);
}
