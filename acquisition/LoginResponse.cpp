#include "LoginResponse.h"

LoginResponse::LoginResponse() = default;

LoginResponse::~LoginResponse() = default;

bool LoginResponse::handleStartElement(const QString &) { return true; }

bool LoginResponse::handleEndElement(const QString &name)
{
    if (name == QLatin1String("session"))
        m_session = currentText();
    return true;
}

bool LoginResponse::isContentValid() const { return !m_session.isEmpty() && !getConfid().isEmpty(); }
