// Writes the program's icons into an icon theme tree: PNG files as
// OUT/<size>x<size>/apps/<name>.png and the program's icon as OUT/scalable/apps/<name>.svg, all
// painted by the same code. Run at build time; the files are installed.
#include "appicon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

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
    const auto saveScalable = [&](const QString &name) {
        const QString folder = out + QStringLiteral("/scalable/apps");
        if (!QDir().mkpath(folder))
            return false;
        QSvgGenerator svg;
        svg.setFileName(folder + u'/' + name + QStringLiteral(".svg"));
        svg.setSize(QSize(64, 64));
        svg.setViewBox(QRect(0, 0, 64, 64));
        svg.setTitle(QStringLiteral("曜石"));
        QPainter p;
        if (!p.begin(&svg))
            return false;
        paintAppIcon(p, 64);
        return p.end();
    };
    bool ok = saveScalable(QStringLiteral("org.yaoshi.Yaoshi"));
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
