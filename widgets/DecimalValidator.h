#pragma once
// Accepts plain decimal numbers from 0 to a maximum and nothing else while
// the user types. QIntValidator lets a sign in and calls values above its top
// "intermediate" when they have no more digits than the top ("70000" for
// 65535, "999" for 255), and a line edit takes intermediate keystrokes, so
// such a field could hold a value no caller can use.

#include <QValidator>

class DecimalValidator : public QValidator
{
public:
    explicit DecimalValidator(int nMaximum, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;

private:
    int m_nMaximum;
    int m_nMaxDigits;
};
