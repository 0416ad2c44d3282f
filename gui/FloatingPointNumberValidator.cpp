#include "FloatingPointNumberValidator.h"

#include <QRegularExpression>

FloatingPointNumberValidator::FloatingPointNumberValidator(QObject *parent, int maximumLength)
    : QValidator(parent), m_maximumLength(maximumLength)
{
}

FloatingPointNumberValidator::~FloatingPointNumberValidator() = default;

QValidator::State FloatingPointNumberValidator::validate(QString &input, int &) const
{
    static const QRegularExpression number(QStringLiteral("\\A-?[0-9]{0,2}\\.?[0-9]?\\z"));
    return number.match(input).hasMatch() ? Acceptable : Invalid;
}
