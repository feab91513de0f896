#include "files/uniquefd.h"

#include <cstring>
#include <iconv.h>
#include <langinfo.h>

namespace yaoshi
{

QString systemReason(int errnum)
{
    return fromLocaleText(std::strerror(errnum));
}

QString fromLocaleText(const char *text)
{
    // Qt takes every 8-bit text on this system for UTF-8; the C library writes the locale's.
    const char *codeset = ::nl_langinfo(CODESET);
    if (!codeset || std::strcmp(codeset, "UTF-8") == 0 ||
        std::strcmp(codeset, "ANSI_X3.4-1968") == 0)
        return QString::fromUtf8(text);
    const iconv_t cd = ::iconv_open("UTF-8", codeset);
    if (cd == iconv_t(-1))
        return QString::fromUtf8(text);
    QByteArray in(text);
    QByteArray out(in.size() * 4 + 4, Qt::Uninitialized);
    char *inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const size_t done = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    ::iconv_close(cd);
    if (done == size_t(-1))
        return QString::fromUtf8(text);
    out.truncate(out.size() - qsizetype(outLeft));
    return QString::fromUtf8(out);
}

} // namespace yaoshi
