#include "plotter/window/plottermessages.h"

#include "core/numtext.h"

#include <QLocale>
#include <QStringList>

namespace plottermessages
{

namespace
{

QString curveName(Curve curve)
{
    return curve == Curve::Two ? QStringLiteral("方程二") : QStringLiteral("方程一");
}

QString pair(const PointOfInterest &p)
{
    return QStringLiteral("(%1, %2)").arg(exactNumber(p.x), exactNumber(p.y));
}

// "a", "a 和 b", "a、b 和 c".
QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.value(0);
    return items.mid(0, items.size() - 1).join(u'、') + QStringLiteral(" 和 ") + items.last();
}

} // namespace

QString windowTitle()
{
    return QStringLiteral("曜石----解方程");
}

QString messageTitle()
{
    return QStringLiteral("提示");
}

QString pictureTooltip()
{
    return QStringLiteral("左键放大,右键缩小");
}

QString firstBoxTooltip()
{
    return QStringLiteral("请自行算试正确检查,注意空格使用,详看帮助");
}

QString boxCaption(int box)
{
    static const char16_t *const kCaptions[] = {u"方程一", u"方程二", u"参数方程一", u"参数方程二"};
    return QString::fromUtf16(kCaptions[box]);
}

QString scrollBarName(Qt::Orientation orientation)
{
    return orientation == Qt::Horizontal ? QStringLiteral("横向滚动") : QStringLiteral("纵向滚动");
}

QString groupFaults(const std::vector<std::pair<GroupFault, QStringList>> &faults)
{
    QString message;
    for (const auto &[fault, captions] : faults) {
        const QString boxes = captions.join(u'、');
        switch (fault) {
        case GroupFault::None:
            break;
        case GroupFault::Unbalanced:
            message += QStringLiteral("%1的括号不配对，无法画出。").arg(boxes);
            break;
        case GroupFault::EmptyGroup:
            message += QStringLiteral("%1的括号里没有内容，无法画出。").arg(boxes);
            break;
        case GroupFault::TooManyGroups:
            // The whole text counts as one group.
            message += QStringLiteral("%1的括号太多，最多 %2 对，无法画出。")
                           .arg(boxes)
                           .arg(kMaxGroups - 1);
            break;
        }
    }
    return message + QStringLiteral("符号、数据之间要加入一个空格。");
}

QString saveFailed(const QString &path, const QString &error)
{
    return QStringLiteral("无法保存图片“%1”：%2").arg(path, error);
}

QString beyondPrecision()
{
    return QStringLiteral("已到双精度数的极限，不能再放大");
}

QString tokenWarningName()
{
    return QStringLiteral("记号提示");
}

QString tokenHints(const std::vector<TokenHint> &hints)
{
    QStringList sentences;
    for (const TokenHint &hint : hints) {
        switch (hint.problem) {
        case TokenProblem::Spacing:
            sentences.append(
                QStringLiteral("“%1”不是一个记号：符号、数据之间要加入一个空格").arg(hint.token));
            break;
        case TokenProblem::Case:
        case TokenProblem::Constant:
            sentences.append(QStringLiteral("“%1”应写作“%2”").arg(hint.token, hint.meant));
            break;
        case TokenProblem::ExtraBlank:
            sentences.append(QStringLiteral("记号之间只能有一个空格"));
            break;
        case TokenProblem::Unknown:
            sentences.append(
                QStringLiteral("“%1”不是一个记号，当作数 %2")
                    .arg(hint.token, yaoshi::plainForm(yaoshi::readEntry(hint.token))));
            break;
        }
    }
    return sentences.join(QStringLiteral("；"));
}

QString exactNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // no "-0"
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString exactReadout(double value)
{
    const QString text = exactNumber(value);
    return value < 0 ? text : u' ' + text;
}

QString pointLabel(const PointOfInterest &point)
{
    switch (point.kind) {
    case PointKind::Root:
        return QStringLiteral("%1的根 x = %2").arg(curveName(point.curve), exactNumber(point.x));
    case PointKind::Crossing:
        return QStringLiteral("两曲线交点 %1").arg(pair(point));
    case PointKind::Minimum:
        return QStringLiteral("%1的极小值 %2").arg(curveName(point.curve), pair(point));
    case PointKind::Maximum:
        return QStringLiteral("%1的极大值 %2").arg(curveName(point.curve), pair(point));
    }
    return {};
}

QString pointCopy(const PointOfInterest &point)
{
    return exactNumber(point.x) + QStringLiteral(", ") + exactNumber(point.y);
}

QString cappedNote(const PointsOfInterest &points)
{
    QStringList which;
    if (points.capped[0])
        which.append(curveName(Curve::One));
    if (points.capped[1])
        which.append(curveName(Curve::Two));
    if (points.capped[2])
        which.append(QStringLiteral("两曲线交点"));
    if (which.isEmpty())
        return {};
    return QStringLiteral("%1的点太多，只标出离中心最近的 %2 个")
        .arg(which.join(u'、'))
        .arg(kMaxPointsPerCurve);
}

QString describePlot(const std::array<QString, 4> &drawn, const PointsOfInterest &points,
                     const PlotView &view, const QString &zoom)
{
    QStringList curves;
    if (!drawn[0].isEmpty())
        curves.append(QStringLiteral("方程一 y = %1").arg(drawn[0]));
    if (!drawn[1].isEmpty())
        curves.append(QStringLiteral("方程二 y = %1").arg(drawn[1]));
    // The parametric curve needs both of its boxes.
    if (!drawn[2].isEmpty() && !drawn[3].isEmpty())
        curves.append(QStringLiteral("参数方程 x = %1，y = %2").arg(drawn[2], drawn[3]));
    QString text =
        curves.isEmpty() ? QStringLiteral("没有曲线") : curves.join(QStringLiteral("；"));
    // The points by what they are: the zeros of each curve, the crossings, the turning points.
    QStringList found;
    for (Curve curve : {Curve::One, Curve::Two}) {
        QStringList roots;
        QStringList minima;
        QStringList maxima;
        for (const PointOfInterest &p : points.points) {
            if (p.curve != curve)
                continue;
            if (p.kind == PointKind::Root)
                roots.append(exactNumber(p.x));
            else if (p.kind == PointKind::Minimum)
                minima.append(pair(p));
            else if (p.kind == PointKind::Maximum)
                maxima.append(pair(p));
        }
        if (!roots.isEmpty())
            found.append(QStringLiteral("%1与x轴交于 x = %2").arg(curveName(curve), listed(roots)));
        if (!minima.isEmpty())
            found.append(QStringLiteral("%1的极小值 %2").arg(curveName(curve), listed(minima)));
        if (!maxima.isEmpty())
            found.append(QStringLiteral("%1的极大值 %2").arg(curveName(curve), listed(maxima)));
        if (curve == Curve::One) {
            QStringList crossings;
            for (const PointOfInterest &p : points.points) {
                if (p.kind == PointKind::Crossing)
                    crossings.append(pair(p));
            }
            if (!crossings.isEmpty())
                found.append(QStringLiteral("两曲线交于 %1").arg(listed(crossings)));
        }
    }
    const QString capped = cappedNote(points);
    if (!capped.isEmpty())
        found.append(capped);
    if (!found.isEmpty())
        text += u'。' + found.join(QStringLiteral("；"));
    return text +
           QStringLiteral("。中心 (%1, %2)，放大系数 %3")
               .arg(yaoshi::plainForm(view.cenx), yaoshi::plainForm(view.ceny), zoom.trimmed());
}

} // namespace plottermessages
