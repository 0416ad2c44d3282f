#pragma once

#include <exception>

namespace ORQ {

// Exception with a fixed message buffer, so it can be thrown without allocating.
class ORQException : public std::exception
{
public:
    ORQException();
    explicit ORQException(const char *text);
    const char *what() const noexcept override;

protected:
    void setText(const char *text);

private:
    char m_message[1024];
};

// Thrown by a failed internal check.
class ORQAssertException : public ORQException
{
public:
    ORQAssertException(const char *file, int line, const char *expression);
};

} // namespace ORQ

#define ORQ_ASSERT_AT(expr, file, line)                                                           \
    do {                                                                                           \
        if (!(expr))                                                                               \
            throw ORQ::ORQAssertException(file, line, #expr);                                      \
    } while (0)
