#include "CMessageBox.h"

#include "WindowCentring.h"
#include "WindowFocus.h"
#include "WindowTranslucency.h"

#include <QApplication>
#include <QBitmap>
#include <QDesktopWidget>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <utility>

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

// Boxes open now, and what waits for none to be open.
int g_nOpen = 0;
QList<QPair<QPointer<QObject>, std::function<void()>>> g_waitingForNone;

void runWhenNoneOpen()
{
    const auto waiting = std::exchange(g_waitingForNone, {});
    for (const auto &entry : waiting) {
        if (entry.first)
            QTimer::singleShot(0, entry.first.data(), entry.second);
    }
}

bool isBoxWindow(const QWidget *widget)
{
    return qobject_cast<const CMessageBox *>(widget) ||
           qobject_cast<const CMessageBox *>(widget->parentWidget());
}

QWidget *firstVisibleWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget->isVisible() && !widget->isMinimized() && !isBoxWindow(widget) &&
            (type == Qt::Window || type == Qt::Dialog))
            return widget;
    }
    return nullptr;
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
    handBackKeyboard();
    frame->hide();
    done(kClosedWithoutButton);
}

void CMessageBox::_q_buttonClicked(QAbstractButton *button)
{
    handBackKeyboard();
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

int CMessageBox::openCount()
{
    return g_nOpen;
}

void CMessageBox::whenNoneOpen(QObject *context, std::function<void()> fn)
{
    g_waitingForNone.append({QPointer<QObject>(context), std::move(fn)});
    if (g_nOpen == 0)
        runWhenNoneOpen();
}

QWidget *CMessageBox::ownerFor(QWidget *parent)
{
    QWidget *owner = parent ? parent->window() : QApplication::activeWindow();
    while (owner && isBoxWindow(owner)) {
        QWidget *veil = qobject_cast<CMessageBox *>(owner) ? owner : owner->parentWidget();
        owner = veil->parentWidget() ? veil->parentWidget()->window() : nullptr;
    }
    return owner ? owner : firstVisibleWindow();
}

QRect CMessageBox::screenFor(const QRect &owner, const QList<QRect> &screens, const QRect &primary)
{
    QRect best = primary;
    qint64 nBestArea = 0;
    for (const QRect &screen : screens) {
        const QRect shared = screen.intersected(owner);
        const qint64 nArea = qint64(shared.width()) * shared.height();
        if (!shared.isEmpty() && nArea > nBestArea) {
            best = screen;
            nBestArea = nArea;
        }
    }
    return best;
}

int CMessageBox::showMessage(QMessageBox::Icon icon, QWidget *parent, const QString &strTitle,
                             const QString &strText, const QString &strButton0,
                             const QString &strButton1, const QString &strButton2, bool bCenter)
{
    // Callers pass the active window, which is none once the login dialog
    // has gone: the box still belongs to the window the user sees.
    CMessageBox box(icon, strTitle, strText, QMessageBox::NoButton, ownerFor(parent), bCenter);
    box.addButton(strButton0.isEmpty() ? QDialogButtonBox::tr("OK") : strButton0,
                  QMessageBox::ActionRole);
    if (!strButton1.isEmpty())
        box.addButton(strButton1, QMessageBox::ActionRole);
    if (!strButton2.isEmpty())
        box.addButton(strButton2, QMessageBox::ActionRole);
    box.m_pKeyboardOwner = QApplication::activeWindow();
    ++g_nOpen;
    const int nResult = box.exec();
    // Where no window manager hands the keyboard back when the box goes.
    WindowFocus::takeKeyboard(box.m_pKeyboardOwner);
    if (--g_nOpen == 0)
        runWhenNoneOpen();
    return nResult;
}

// Before the box's windows go: a window manager that saw the focused box
// vanish would fall back to its own window, and might do so after any
// request made later.
void CMessageBox::handBackKeyboard()
{
    WindowFocus::setInputFocus(m_pKeyboardOwner);
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

// On the screen of the window the box belongs to: centred on the whole
// desktop it would straddle two monitors.
void CMessageBox::centreFrame()
{
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->geometry();
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QWidget *owner = parentWidget();
    const QRect area = screenFor(owner ? owner->window()->frameGeometry() : QRect(), screens,
                                 primary ? primary->geometry() : desktopRect());
    frame->move(WindowCentring::centredIn(area, frame->size()));
}

void CMessageBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_coveredPicture.isNull()) {
        painter.drawPixmap(rect(), m_coveredPicture);
        painter.setOpacity(kVeilOpacity);
    }
    painter.fillRect(rect(), Qt::black);
}

void CMessageBox::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    centreFrame();
}

void CMessageBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    prepareVeil();
    frame->show();
    centreFrame();
    if (QAbstractButton *first = customButtonList.value(0))
        first->setFocus();
}

// The veil is the modal window and is activated when it is shown or
// clicked; the keys belong to the box, whose focused button Return answers.
void CMessageBox::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && frame->isVisible())
        frame->activateWindow();
}

void CMessageBox::keyPressEvent(QKeyEvent *event)
{
    if (!answerByKey(event->key()))
        QDialog::keyPressEvent(event);
}

// The buttons live in a window of their own, not in the dialog, so they are
// no dialog's default buttons and the toolkit gives Return to nobody.
bool CMessageBox::answerByKey(int nKey)
{
    if (nKey != Qt::Key_Return && nKey != Qt::Key_Enter && nKey != Qt::Key_Space)
        return false;
    const QList<QAbstractButton *> buttons = buttonBox->buttons();
    auto *focused = qobject_cast<QAbstractButton *>(frame->focusWidget());
    QAbstractButton *button = buttons.contains(focused) ? focused : customButtonList.value(0);
    if (!button)
        button = buttons.value(0);
    if (button)
        button->click();
    return button != nullptr;
}

// Runs before the veil and the box reach the screen, so that a grab sees only
// what they are about to cover.
void CMessageBox::prepareVeil()
{
    if (WindowTranslucency::available())
        m_coveredPicture = QPixmap();
    else
        m_coveredPicture = parentWidget() ? grabOwner() : grabCovered();
    // The veil darkens the picture itself; a compositor that starts later
    // must not darken it twice.
    setWindowOpacity(m_coveredPicture.isNull() ? kVeilOpacity : 1.0);
}

// The owner renders itself: a window shown a moment ago has not reached the
// screen yet, and a grab of the screen would show black where it stands.
QPixmap CMessageBox::grabOwner() const
{
    QWidget *owner = parentWidget()->window();
    return owner->grab(QRect(owner->mapFromGlobal(geometry().topLeft()), size()));
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
        else if (event->type() == QEvent::KeyPress &&
                 answerByKey(static_cast<QKeyEvent *>(event)->key()))
            return true;
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
