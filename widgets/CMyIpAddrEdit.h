#pragma once
// An IPv4 address field made of four CMyIpPartLineEdit octets with a dot
// drawn over each joint. The editor owns the parts and the dots; it has no
// layout and places them itself on resize. While a part has the focus the
// editor carries the property "focused", by which the skin marks the whole
// field. GUI thread only.

#include <QString>
#include <QWidget>

class CMyIpPartLineEdit;
class QLabel;

class CMyIpAddrEdit : public QWidget
{
    Q_OBJECT
public:
    explicit CMyIpAddrEdit(QWidget *parent = nullptr);

    // Fills the parts from a complete dotted address; anything else clears
    // all four parts.
    void setText(const QString &text);
    // The four parts joined with dots, each in plain decimal ("010" gives
    // 10); a blank part stays blank ("..." when all are).
    QString text() const;

signals:
    void textchanged(const QString &text);
    void textedited(const QString &text);

public slots:
    void onKeyPressLeftOrRight(int nKey, int nIndex);

private slots:
    void textchangedslot(const QString &text);
    void texteditedslot(const QString &text);
    void onAddressPasted(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString octet(int nIndex) const;

    static constexpr int kPartCount = 4;
    static constexpr int kDotCount = 3;

    CMyIpPartLineEdit *m_pParts[kPartCount] = {};
    QLabel *m_pDots[kDotCount] = {};
};
