#include "widgets/fonts.h"

#include <QFont>

QList<FontSubstitute> fontSubstitutes()
{
    const QStringList kai = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UKai TW"),
                             QStringLiteral("WenQuanYi Micro Hei")};
    return {
        {QStringLiteral("宋体"),
         {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
          QStringLiteral("WenQuanYi Micro Hei")}},
        {QStringLiteral("楷体_GB2312"), kai},
        {QStringLiteral("方正舒体"), kai},
    };
}

void registerFontSubstitutes()
{
    for (const FontSubstitute &s : fontSubstitutes())
        QFont::insertSubstitutions(s.face, s.substitutes);
}
