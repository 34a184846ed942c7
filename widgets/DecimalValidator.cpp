#include "DecimalValidator.h"

DecimalValidator::DecimalValidator(int nMaximum, QObject *parent)
    : QValidator(parent), m_nMaximum(nMaximum), m_nMaxDigits(QString::number(nMaximum).length())
{
}

QValidator::State DecimalValidator::validate(QString &input, int &) const
{
    if (input.isEmpty())
        return Intermediate;
    if (input.length() > m_nMaxDigits)
        return Invalid;
    for (const QChar ch : input)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return Invalid;
    return input.toInt(nullptr, 10) <= m_nMaximum ? Acceptable : Invalid;
}
