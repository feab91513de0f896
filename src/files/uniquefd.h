#pragma once

#include <QString>

#include <unistd.h>
#include <utility>

namespace yaoshi
{

// A file descriptor closed when it goes out of scope.
class UniqueFd
{
public:
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// The system's own words for an errno value, decoded from the locale's encoding.
QString systemReason(int errnum);

// Text the C library gives in the locale's encoding (GB18030 as well as UTF-8).
QString fromLocaleText(const char *text);

} // namespace yaoshi
