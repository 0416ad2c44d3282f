#include "ORQException.h"

#include <cstdio>
#include <cstring>

namespace ORQ {

ORQException::ORQException() { m_message[0] = '\0'; }

ORQException::ORQException(const char *text) { setText(text); }

const char *ORQException::what() const noexcept { return m_message; }

void ORQException::setText(const char *text)
{
    // Longer texts are cut to the buffer, keeping the terminator.
    std::strncpy(m_message, text ? text : "", sizeof(m_message) - 1);
    m_message[sizeof(m_message) - 1] = '\0';
}

ORQAssertException::ORQAssertException(const char *file, int line, const char *expression)
{
    char text[2048];
    std::snprintf(text, sizeof(text), "Internal error: file %s, line %d: %s", file, line,
                  expression);
    setText(text);
}

} // namespace ORQ
