#include "widgets/fonts.h"

#include <QFont>

QList<FontSubstitute> fontSubstitutes()
{
    const QStringList kai = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UKai TW"),
                             QStringLiteral("WenQuanYi Micro Hei")};
    return {
        // Noto's Ming face in its regular weight: AR PL UMing has only a light one, in which
        // the keypad's digits looked disabled.
        {QStringLiteral("宋体"),
         {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Micro Hei")}},
        {QStringLiteral("楷体_GB2312"), kai},
        {QStringLiteral("方正舒体"), kai},
    };
}

void registerFontSubstitutes()
{
    for (const FontSubstitute &s : fontSubstitutes())
        QFont::insertSubstitutions(s.face, s.substitutes);
}
