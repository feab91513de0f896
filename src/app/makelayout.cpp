// Writes where every window's controls are, from the tables the windows are made from, as JSON:
// per tool its window's title, size and controls, each with object name, button-group index
// (-1 for a control of its own), caption, rectangle (all in twips), and the name a screen reader
// is told and the description its table gives (what the window works out as it runs is not in
// it). Run at build time; the scripts that drive the program read it beside the program.
#include "app/launchercontrols.h"
#include "calculator/window/calculatorcontrols.h"
#include "help/helpcontrols.h"
#include "plotter/window/plottercontrols.h"
#include "plotter/window/plottermessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{

QString text(const char16_t *t)
{
    return t ? QString::fromUtf16(t) : QString();
}

QJsonObject control(const char *name, int index, const QString &kind, const QString &caption,
                    const int (&rect)[4], const QString &accessibleName,
                    const QString &description = {})
{
    return {{u"name"_qs, QLatin1String(name)},
            {u"index"_qs, index},
            {u"kind"_qs, kind},
            {u"caption"_qs, caption},
            {u"rect"_qs, QJsonArray{rect[0], rect[1], rect[2], rect[3]}},
            {u"accessibleName"_qs, accessibleName.isEmpty() ? caption : accessibleName},
            {u"description"_qs, description}};
}

QJsonObject window(const QString &title, int width, int height, const QJsonArray &controls)
{
    return {
        {u"title"_qs, title}, {u"size"_qs, QJsonArray{width, height}}, {u"controls"_qs, controls}};
}

QJsonObject calculator()
{
    QJsonArray controls;
    for (const CalculatorControl &c : calculatorcontrols::kControls) {
        const bool grouped = std::any_of(
            std::begin(calculatorcontrols::kGroups), std::end(calculatorcontrols::kGroups),
            [&](const char *group) { return std::strcmp(group, c.name) == 0; });
        controls.append(control(c.name, grouped ? c.command.index : -1,
                                c.caption ? u"button"_qs : u"text"_qs, text(c.caption),
                                {c.left, c.top, c.width, c.height}, text(c.accessibleName),
                                text(c.tooltip)));
    }
    return window(text(calculatorcontrols::kTitle), calculatorcontrols::kWidth,
                  calculatorcontrols::kHeight, controls);
}

QJsonObject plotter()
{
    using enum PlotterControl::Kind;
    QJsonArray controls;
    for (const PlotterControl &c : plottercontrols::kControls) {
        const QString kind = c.kind == Button    ? u"button"_qs
                             : c.kind == Box     ? u"text"_qs
                             : c.kind == Picture ? u"picture"_qs
                                                 : u"label"_qs;
        controls.append(control(c.name, -1, kind, text(c.text), {c.left, c.top, c.width, c.height},
                                text(c.accessibleName), text(c.accessibleDescription)));
    }
    return window(plottermessages::windowTitle(), plottercontrols::kWidth, plottercontrols::kHeight,
                  controls);
}

QJsonObject launcher()
{
    QJsonArray controls;
    for (const LauncherControl &c : launchercontrols::kControls) {
        controls.append(control(c.name, -1, c.opens ? u"button"_qs : u"label"_qs, text(c.caption),
                                {c.left, c.top, c.width, c.height}, {}));
    }
    return window(text(launchercontrols::kTitle), launchercontrols::kWidth,
                  launchercontrols::kHeight, controls);
}

QJsonObject help()
{
    const HelpControl &c = helpcontrols::kText;
    return window(text(helpcontrols::kTitle), helpcontrols::kWidth, helpcontrols::kHeight,
                  {control(c.name, -1, u"text"_qs, {}, {c.left, c.top, c.width, c.height},
                           text(c.accessibleName), text(c.accessibleDescription))});
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: yaoshi-make-layout OUTPUT-FILE\n");
        return 2;
    }
    const QJsonObject layout{{u"launcher"_qs, launcher()},
                             {u"calculator"_qs, calculator()},
                             {u"plotter"_qs, plotter()},
                             {u"help"_qs, help()}};
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(QJsonDocument(layout).toJson()) < 0 || !file.commit()) {
        std::fprintf(stderr, "yaoshi-make-layout: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
