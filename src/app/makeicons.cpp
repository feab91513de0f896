// Writes the program's icons as PNG files into an icon theme tree:
// OUT/<size>x<size>/apps/<name>.png. Run at build time; the files are installed.
#include "appicon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: yaoshi-make-icons OUTPUT-FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const auto save = [&](const QImage &image, const QString &name) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(image.width());
        if (!QDir().mkpath(folder) || !image.save(folder + u'/' + name + QStringLiteral(".png")))
            return false;
        return true;
    };
    bool ok = true;
    for (const int size : {16, 32, 48, 64, 128, 256})
        ok = save(appIconImage(size), QStringLiteral("org.yaoshi.Yaoshi")) && ok;
    for (const int size : {16, 32}) {
        ok =
            save(helpIcon().pixmap(size).toImage(), QStringLiteral("org.yaoshi.Yaoshi.help")) && ok;
        ok = save(plotterIcon().pixmap(size).toImage(),
                  QStringLiteral("org.yaoshi.Yaoshi.plotter")) &&
             ok;
    }
    return ok ? 0 : 1;
}
