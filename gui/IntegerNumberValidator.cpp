#include "IntegerNumberValidator.h"

#include <QRegularExpression>

IntegerNumberValidator::IntegerNumberValidator(QObject *parent, int maximumLength)
    : QValidator(parent), m_maximumLength(maximumLength)
{
}

IntegerNumberValidator::~IntegerNumberValidator() = default;

QValidator::State IntegerNumberValidator::validate(QString &input, int &) const
{
    // \d would also take digits of other scripts, which no number parser here reads.
    static const QRegularExpression digits(QStringLiteral("\\A[0-9]*\\z"));
    if (input.size() <= m_maximumLength && digits.match(input).hasMatch())
        return Acceptable;
    return Invalid;
}
