#include "CMessageBox.h"

#include "WindowTranslucency.h"

#include <QApplication>
#include <QBitmap>
#include <QDesktopWidget>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>

namespace {
constexpr int kMinimumBoxWidth = 250;
constexpr int kButtonWidth = 70;
constexpr int kButtonHeight = 25;
constexpr int kPaintRadius = 5;
constexpr int kMaskRadius = 6;
constexpr int kSpacerRowStretch = 100;
constexpr double kVeilOpacity = 0.5;

QRect desktopRect()
{
    return QApplication::desktop()->geometry();
}
} // namespace

CMessageBox::CMessageBox(QMessageBox::Icon icon, const QString &strTitle, const QString &strText,
                         QMessageBox::StandardButtons buttons, QWidget *parent, bool bCenter)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    init(strTitle, strText);
    setIcon(icon);
    placeVeil(parent, bCenter);
    buttonBox->setStandardButtons(QDialogButtonBox::StandardButtons(int(buttons)));
}

CMessageBox::~CMessageBox() = default;

void CMessageBox::init(const QString &strTitle, const QString &strText)
{
    frame = new QFrame(this, Qt::Window | Qt::FramelessWindowHint);
    frame->setObjectName(QStringLiteral("CMessageBox"));
    frame->setMinimumWidth(kMinimumBoxWidth);
    frame->installEventFilter(this);

    label = new QLabel(frame);
    label->setObjectName(QStringLiteral("qt_msgbox_label"));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setOpenExternalLinks(true);
    label->setContentsMargins(2, 0, 30, 0);
    label->setIndent(9);

    iconLabel = new QLabel(frame);
    iconLabel->setObjectName(QStringLiteral("msgboxex_icon_label"));
    iconLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    buttonBox = new QDialogButtonBox(frame);
    buttonBox->setObjectName(QStringLiteral("msgbox_buttonbox"));
    buttonBox->setCenterButtons(true);
    connect(buttonBox, SIGNAL(clicked(QAbstractButton *)), this,
            SLOT(_q_buttonClicked(QAbstractButton *)));

    auto *separator = new QFrame(frame);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto *grid = new QGridLayout(frame);
    grid->setSizeConstraint(QLayout::SetNoConstraint);
    grid->addWidget(iconLabel, 0, 0, 1, 1, Qt::AlignTop);
    grid->addWidget(label, 0, 1, 1, 1);
    grid->setRowStretch(1, kSpacerRowStretch);
    grid->addWidget(separator, 2, 0, 1, 2);
    grid->addWidget(buttonBox, 3, 0, 1, 2);

    if (!strTitle.isEmpty() || !strText.isEmpty()) {
        setWindowTitle(strTitle);
        setText(strText);
    }
    setModal(true);
    setWindowOpacity(kVeilOpacity);
}

void CMessageBox::setText(const QString &strText)
{
    label->setText(strText);
    const Qt::TextFormat format = label->textFormat();
    label->setWordWrap(format == Qt::RichText ||
                       (format == Qt::AutoText && Qt::mightBeRichText(strText)));
}

void CMessageBox::setIcon(QMessageBox::Icon icon)
{
    setIconPixmap(QMessageBox::standardIcon(icon));
}

void CMessageBox::setIconPixmap(const QPixmap &pixmap)
{
    iconLabel->setPixmap(pixmap);
}

QPushButton *CMessageBox::addButton(const QString &strText, QMessageBox::ButtonRole role)
{
    auto *button = new QPushButton(strText);
    button->setObjectName(QStringLiteral("WhiteToolButton"));
    button->setFixedSize(kButtonWidth, kButtonHeight);
    addButton(button, role);
    return button;
}

void CMessageBox::addButton(QAbstractButton *button, QMessageBox::ButtonRole role)
{
    if (!button)
        return;
    removeButton(button);
    buttonBox->addButton(button, QDialogButtonBox::ButtonRole(int(role)));
    customButtonList.append(button);
}

void CMessageBox::removeButton(QAbstractButton *button)
{
    customButtonList.removeAll(button);
    buttonBox->removeButton(button);
}

void CMessageBox::reject()
{
    frame->hide();
    done(kClosedWithoutButton);
}

void CMessageBox::_q_buttonClicked(QAbstractButton *button)
{
    frame->hide();
    int nResult = buttonBox->standardButton(button);
    if (nResult == QDialogButtonBox::NoButton)
        nResult = customButtonList.indexOf(button);
    done(nResult);
}

int CMessageBox::information(QWidget *parent, const QString &strTitle, const QString &strText,
                             const QString &strButton0, const QString &strButton1,
                             const QString &strButton2, int, int, bool bCenter)
{
    return showMessage(QMessageBox::Information, parent, strTitle, strText, strButton0, strButton1,
                       strButton2, bCenter);
}

int CMessageBox::question(QWidget *parent, const QString &strTitle, const QString &strText,
                          const QString &strButton0, const QString &strButton1,
                          const QString &strButton2, int, int, bool bCenter)
{
    return showMessage(QMessageBox::Question, parent, strTitle, strText, strButton0, strButton1,
                       strButton2, bCenter);
}

int CMessageBox::warning(QWidget *parent, const QString &strTitle, const QString &strText,
                         const QString &strButton0, const QString &strButton1,
                         const QString &strButton2, int, int, bool bCenter)
{
    return showMessage(QMessageBox::Warning, parent, strTitle, strText, strButton0, strButton1,
                       strButton2, bCenter);
}

int CMessageBox::showMessage(QMessageBox::Icon icon, QWidget *parent, const QString &strTitle,
                             const QString &strText, const QString &strButton0,
                             const QString &strButton1, const QString &strButton2, bool bCenter)
{
    CMessageBox box(icon, strTitle, strText, QMessageBox::NoButton, parent, bCenter);
    box.addButton(strButton0.isEmpty() ? QDialogButtonBox::tr("OK") : strButton0,
                  QMessageBox::ActionRole);
    if (!strButton1.isEmpty())
        box.addButton(strButton1, QMessageBox::ActionRole);
    if (!strButton2.isEmpty())
        box.addButton(strButton2, QMessageBox::ActionRole);
    return box.exec();
}

void CMessageBox::placeVeil(QWidget *parent, bool bCenter)
{
    if (parent && !bCenter) {
        setGeometry(parent->geometry());
        return;
    }
    setGeometry(frame->geometry());
    const QRect area = parent ? parent->geometry() : desktopRect();
    const QPoint centre = parent ? area.topLeft() + QPoint(area.width() / 2, area.height() / 2)
                                 : QPoint(area.width() / 2, area.height() / 2);
    move(centre.x() - width() / 2, centre.y() - height() / 2);
}

void CMessageBox::centreFrameOnDesktop()
{
    const QRect desktop = desktopRect();
    frame->move((desktop.width() - frame->width()) / 2, (desktop.height() - frame->height()) / 2);
}

void CMessageBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!coveredPicture.isNull()) {
        painter.drawPixmap(rect(), coveredPicture);
        painter.setOpacity(kVeilOpacity);
    }
    painter.fillRect(rect(), Qt::black);
}

void CMessageBox::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    centreFrameOnDesktop();
}

void CMessageBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    prepareVeil();
    frame->show();
    centreFrameOnDesktop();
}

// Runs before the veil and the box reach the screen, so that a grab sees only
// what they are about to cover.
void CMessageBox::prepareVeil()
{
    coveredPicture = WindowTranslucency::available() ? QPixmap() : grabCovered();
    // The veil darkens the picture itself; a compositor that starts later
    // must not darken it twice.
    setWindowOpacity(coveredPicture.isNull() ? kVeilOpacity : 1.0);
}

QPixmap CMessageBox::grabCovered() const
{
    const QRect area = geometry();
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect bounds = screen->geometry();
        if (!bounds.contains(area.center()))
            continue;
        const QRect local = area.translated(-bounds.topLeft());
        return screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
    }
    return QPixmap();
}

bool CMessageBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == frame) {
        if (event->type() == QEvent::Paint)
            paintFrame();
        else if (event->type() == QEvent::Resize)
            maskFrame();
        else if (event->type() == QEvent::Close && isVisible())
            reject(); // else the veil stays and blocks the program
    }
    return QDialog::eventFilter(watched, event);
}

void CMessageBox::paintFrame()
{
    QPainter painter(frame);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(frame->rect().adjusted(0, 0, -1, -1), kPaintRadius, kPaintRadius,
                            Qt::AbsoluteSize);
}

void CMessageBox::maskFrame()
{
    QBitmap mask(frame->size());
    mask.clear();
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(frame->size())), kMaskRadius, kMaskRadius);
    painter.setPen(QPen(Qt::color1));
    painter.setBrush(QBrush(Qt::color1));
    painter.drawPath(path);
    frame->setMask(mask);
}
