#include "plotter/engine/plotdescription.h"

#include "core/numtext.h"

#include <QStringList>

QString describePlot(const std::array<QString, 4> &drawn, const PlotView &view, const QString &zoom)
{
    QStringList curves;
    if (!drawn[0].isEmpty())
        curves.append(QStringLiteral("方程一 y = %1").arg(drawn[0]));
    if (!drawn[1].isEmpty())
        curves.append(QStringLiteral("方程二 y = %1").arg(drawn[1]));
    // The parametric curve needs both of its boxes.
    if (!drawn[2].isEmpty() && !drawn[3].isEmpty())
        curves.append(QStringLiteral("参数方程 x = %1，y = %2").arg(drawn[2], drawn[3]));
    const QString shown =
        curves.isEmpty() ? QStringLiteral("没有曲线") : curves.join(QStringLiteral("；"));
    return QStringLiteral("%1。中心 (%2, %3)，放大系数 %4")
        .arg(shown, yaoshi::plainForm(view.cenx), yaoshi::plainForm(view.ceny), zoom.trimmed());
}
