#include "CMyIpAddrEdit.h"

#include "CMyIpPartLineEdit.h"

#include <QEvent>
#include <QLabel>
#include <QRegExp>
#include <QRegExpValidator>
#include <QStringList>
#include <QStyle>

namespace {
constexpr int kDotHalfWidth = 3;
constexpr int kDotWidth = 6;

const QString &addressPattern()
{
    static const QString pattern =
        QStringLiteral("((2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\.){3}(2[0-4]\\d|25[0-5]|[01]?\\d\\d?)");
    return pattern;
}
} // namespace

CMyIpAddrEdit::CMyIpAddrEdit(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground); // the skin draws the one outer box
    for (int i = 0; i < kPartCount; ++i)
        m_pParts[i] = new CMyIpPartLineEdit(this, i);
    for (int i = 0; i < kDotCount; ++i) {
        m_pDots[i] = new QLabel(QStringLiteral(" ."), this);
        m_pDots[i]->setAlignment(Qt::AlignCenter);
    }
    for (int i = 0; i < kPartCount; ++i) {
        if (i > 0)
            QWidget::setTabOrder(m_pParts[i - 1], m_pParts[i]);
        m_pParts[i]->pPrevEdit = i > 0 ? m_pParts[i - 1] : nullptr;
        m_pParts[i]->pNextEdit = i + 1 < kPartCount ? m_pParts[i + 1] : nullptr;
        connect(m_pParts[i], SIGNAL(textChanged(const QString &)), this,
                SLOT(textchangedslot(const QString &)));
        connect(m_pParts[i], SIGNAL(textEdited(const QString &)), this,
                SLOT(texteditedslot(const QString &)));
        connect(m_pParts[i], SIGNAL(keyPressLeftOrRight(int, int)), this,
                SLOT(onKeyPressLeftOrRight(int, int)));
        connect(m_pParts[i], SIGNAL(addressPasted(const QString &)), this,
                SLOT(onAddressPasted(const QString &)));
        m_pParts[i]->installEventFilter(this);
    }
}

namespace {
bool isAddress(const QString &text)
{
    QRegExpValidator validator{QRegExp(addressPattern())};
    QString strAddress = text;
    int nPos = 0;
    return validator.validate(strAddress, nPos) == QValidator::Acceptable;
}
} // namespace

void CMyIpAddrEdit::setText(const QString &text)
{
    QStringList octets;
    if (isAddress(text))
        octets = text.split(QLatin1Char('.'));
    for (int i = 0; i < kPartCount; ++i)
        m_pParts[i]->setText(i < octets.size() ? octets.at(i) : QString());
}

QString CMyIpAddrEdit::text() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(octet(0), octet(1), octet(2), octet(3));
}

QString CMyIpAddrEdit::octet(int nIndex) const
{
    // "010" stays as typed on screen, but address parsers read a leading zero
    // as octal (010 is 8): the address goes out in plain decimal.
    const QString strPart = m_pParts[nIndex]->text();
    return strPart.isEmpty() ? strPart : QString::number(strPart.toInt(nullptr, 10));
}

void CMyIpAddrEdit::onKeyPressLeftOrRight(int nKey, int nIndex)
{
    if (nIndex < 0 || nIndex >= kPartCount)
        return;
    CMyIpPartLineEdit *part = m_pParts[nIndex];
    part->setFocus();
    part->setCursorPosition(nKey == Qt::Key_Left ? part->text().length() : 0);
}

void CMyIpAddrEdit::textchangedslot(const QString &)
{
    emit textchanged(text());
}

void CMyIpAddrEdit::texteditedslot(const QString &)
{
    emit textedited(text());
}

void CMyIpAddrEdit::onAddressPasted(const QString &text)
{
    if (!isAddress(text))
        return; // refused whole: a cut address would look like a typed one
    setText(text);
    CMyIpPartLineEdit *last = m_pParts[kPartCount - 1];
    last->setFocus(Qt::OtherFocusReason);
    last->end(false);
    emit textedited(this->text());
}

bool CMyIpAddrEdit::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        // Moving between parts is an out and then an in: the last one wins.
        setProperty("focused", type == QEvent::FocusIn);
        style()->unpolish(this);
        style()->polish(this);
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void CMyIpAddrEdit::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int q = w / kPartCount;
    for (int i = 0; i < kPartCount; ++i)
        m_pParts[i]->setGeometry(i * q, 0, i + 1 < kPartCount ? q : w - 3 * q, h);
    for (int i = 0; i < kDotCount; ++i)
        m_pDots[i]->setGeometry((i + 1) * q - kDotHalfWidth, 1, kDotWidth, h - 2);
}
