#include "CMyIpPartLineEdit.h"

#include "DecimalValidator.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>

namespace {
constexpr int kMaxOctetLength = 3;
constexpr int kMaxOctet = 255;
constexpr int kFirstIndex = 0;
constexpr int kLastIndex = 3;
// Two digits above this value cannot take a third digit within 255.
constexpr int kLargestTwoDigitPrefix = 25;

const char *const kPartStyles[] = {
    "#IPLineEdit{border-right:0px;border-radius:0px;}",
    "#IPLineEdit{border-left:0px;border-right:0px;border-radius:0px;}",
    "#IPLineEdit{border-left:0px;border-right:0px;border-radius:0px;}",
    "#IPLineEdit{border-left:0px;border-radius:0px;}",
};
} // namespace

CMyIpPartLineEdit::CMyIpPartLineEdit(QWidget *parent, int nIndex)
    : QLineEdit(parent), nPartIndex(nIndex)
{
    setMaxLength(kMaxOctetLength);
    setFrame(false);
    setAlignment(Qt::AlignCenter);
    setObjectName(QStringLiteral("IPLineEdit"));
    setValidator(new DecimalValidator(kMaxOctet, this));
    if (nIndex >= kFirstIndex && nIndex <= kLastIndex)
        setStyleSheet(QLatin1String(kPartStyles[nIndex]));
    connect(this, SIGNAL(textEdited(const QString &)), this, SLOT(text_edited(const QString &)));
}

void CMyIpPartLineEdit::takeFocus(CMyIpPartLineEdit *edit)
{
    edit->setFocus();
    edit->selectAll();
}

void CMyIpPartLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteText(QApplication::clipboard()->text());
        return;
    }
    const int nKey = event->key();
    if (nKey == Qt::Key_Period) {
        if (pNextEdit && !text().isEmpty())
            takeFocus(pNextEdit);
    } else if (nKey == Qt::Key_Left) {
        if (cursorPosition() == 0 && nPartIndex != kFirstIndex)
            emit keyPressLeftOrRight(Qt::Key_Left, nPartIndex - 1);
    } else if (nKey == Qt::Key_Right) {
        if (cursorPosition() == text().length() && nPartIndex != kLastIndex)
            emit keyPressLeftOrRight(Qt::Key_Right, nPartIndex + 1);
    } else if (nKey == Qt::Key_Backspace) {
        if (pPrevEdit && text().isEmpty())
            takeFocus(pPrevEdit);
    }
    QLineEdit::keyPressEvent(event);
}

void CMyIpPartLineEdit::focusInEvent(QFocusEvent *event)
{
    selectAll();
    // The press that gave the focus comes next and would place the caret,
    // leaving a full octet that refuses every digit typed.
    m_bSelectOnPress = event->reason() == Qt::MouseFocusReason;
    QLineEdit::focusInEvent(event);
}

void CMyIpPartLineEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (m_bSelectOnPress) {
        m_bSelectOnPress = false;
        selectAll();
    }
}

void CMyIpPartLineEdit::text_edited(const QString &text)
{
    const DecimalValidator validator(kMaxOctet);
    QString strText = text;
    int nPos = 0;
    if (validator.validate(strText, nPos) != QValidator::Acceptable || text.length() < 2)
        return;
    const bool bNeighbourEmpty = pNextEdit && pNextEdit->text().isEmpty();
    if (text.length() == 2 && text.toInt() <= kLargestTwoDigitPrefix)
        return;
    if (bNeighbourEmpty)
        takeFocus(pNextEdit);
}

void CMyIpPartLineEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The X selection pasted by the middle button goes the same way.
    if (event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection()) {
        pasteText(QApplication::clipboard()->text(QClipboard::Selection));
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CMyIpPartLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QPointer<QMenu> menu = createStandardContextMenu();
    for (QAction *action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste"))
            continue;
        disconnect(action, nullptr, this, nullptr);
        connect(action, &QAction::triggered, this,
                [this] { pasteText(QApplication::clipboard()->text()); });
    }
    menu->exec(event->globalPos());
    delete menu;
}

void CMyIpPartLineEdit::pasteText(const QString &text)
{
    const QString strPasted = text.trimmed();
    if (strPasted.contains(QLatin1Char('.'))) {
        emit addressPasted(strPasted);
        return;
    }
    // The line edit would cut a long paste to three characters and keep
    // what its validator then takes: "1234" would become "123".
    QString strResult = this->text();
    const int nStart = hasSelectedText() ? selectionStart() : cursorPosition();
    strResult.replace(nStart, selectedText().length(), strPasted);
    int nPos = 0;
    if (strPasted.isEmpty() || strResult.length() > kMaxOctetLength ||
        validator()->validate(strResult, nPos) != QValidator::Acceptable)
        return;
    insert(strPasted);
    emit textEdited(this->text());
}
