#pragma once

#include <QStringList>

// The faces the window layouts name, and the free faces from Debian that stand in for them:
// a Ming (serif) face for 宋体, regular script for 楷体_GB2312 and for the brush script 方正舒体.
struct FontSubstitute {
    QString face;
    QStringList substitutes;
};
QList<FontSubstitute> fontSubstitutes();

// Registers the substitutes with Qt, so every named face renders Chinese text.
void registerFontSubstitutes();
