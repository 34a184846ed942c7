#include "CTitleWidget.h"

#include "CMessageBox.h"
#include "ui_CTitleWidget.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>

namespace {
constexpr int kSysButtonSize = 25;

QString appFile(const char *suffix)
{
    return QCoreApplication::applicationDirPath() + QLatin1String(suffix);
}

void decorate(QToolButton *button, const char *iconSuffix, const QString &strTip)
{
    button->setObjectName(QStringLiteral("SysBtn"));
    button->setFixedSize(kSysButtonSize, kSysButtonSize);
    button->setIcon(QIcon(appFile(iconSuffix)));
    button->setToolTip(strTip);
    // Mouse only, as a window's caption buttons are: the keyboard would stop
    // on them unseen (the login dialog's language box covers one), and Space
    // on close would ask to close.
    button->setFocusPolicy(Qt::NoFocus);
}
} // namespace

CTitleWidget::CTitleWidget(QWidget *parent, bool bFullButtons)
    : QWidget(parent), ui(new Ui::CTitleWidget), pParentWnd(parent), bFullButtons(bFullButtons)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TitleWidget"));
    setAttribute(Qt::WA_StyledBackground); // the skin paints the bar
    const QPixmap logo(appFile("/skin/icons/TopLogo.png"));
    if (!logo.isNull())
        ui->labelLogo->setPixmap(
            logo.scaled(ui->labelLogo->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    decorateButtons();
    if (!bFullButtons) {
        ui->btnMax->hide();
        ui->btnMin->hide();
        ui->btnExit->hide();
    }
    connect(ui->btnClose, SIGNAL(clicked()), this, SLOT(btnCloseClicked()));
    connect(ui->btnMax, SIGNAL(clicked()), this, SLOT(btnMaxClicked()));
    connect(ui->btnMin, SIGNAL(clicked()), this, SLOT(btnMinClicked()));
    connect(ui->btnExit, SIGNAL(clicked()), this, SLOT(btnExitClicked()));
    connect(ui->btnRefresh, SIGNAL(clicked()), this, SIGNAL(refreshResolution()));
}

CTitleWidget::~CTitleWidget()
{
    delete ui;
}

void CTitleWidget::decorateButtons()
{
    decorate(ui->btnClose, "/skin/icons/sys_cls.png", tr("Close"));
    decorate(ui->btnMax, "/skin/icons/sys_max.png", tr("Max"));
    decorate(ui->btnMin, "/skin/icons/sys_min.png", tr("Min"));
    decorate(ui->btnExit, "/skin/icons/sys_exit.png", tr("Logout"));
    decorate(ui->btnRefresh, "/skin/icons/sys_refresh.png", tr("Refresh resolution"));
}

bool CTitleWidget::confirm(const QString &strText)
{
    return CMessageBox::question(pParentWnd, tr("Prompt"), strText, tr("Yes"), tr("No"), QString(),
                                 0, -1, false) == 0;
}

void CTitleWidget::btnCloseClicked()
{
    if (!pParentWnd)
        return;
    if (confirm(QStringLiteral("%1?").arg(tr("Do you want to close"))))
        emit closeSignal();
}

void CTitleWidget::btnExitClicked()
{
    if (!pParentWnd)
        return;
    if (confirm(QStringLiteral("%1").arg(tr("Do you want to logout?"))))
        emit exitSignal();
}

void CTitleWidget::btnMaxClicked()
{
    if (!pParentWnd)
        return;
    if (bMaximized) {
        pParentWnd->showNormal();
        ui->btnMax->setIcon(QIcon(appFile("/skin/icons/sys_max.png")));
        ui->btnMax->setToolTip(tr("Max"));
    } else {
        pParentWnd->showMaximized();
        ui->btnMax->setIcon(QIcon(appFile("/skin/icons/sys_normal.png")));
        ui->btnMax->setToolTip(tr("Normal"));
    }
    bMaximized = !bMaximized;
}

void CTitleWidget::btnMinClicked()
{
    if (pParentWnd)
        pParentWnd->showMinimized();
}

void CTitleWidget::mousePressEvent(QMouseEvent *event)
{
    bPressed = true;
    ptWindowPos = pParentWnd ? pParentWnd->pos() : QPoint();
    ptPressGlobal = event->globalPos();
    QWidget::mousePressEvent(event);
}

void CTitleWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (bMaximized || !bPressed || !pParentWnd)
        return;
    pParentWnd->move(ptWindowPos + (event->globalPos() - ptPressGlobal));
}

void CTitleWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    bPressed = false;
    QWidget::mouseReleaseEvent(event);
}

void CTitleWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && bFullButtons)
        btnMaxClicked();
}
