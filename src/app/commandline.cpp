#include "commandline.h"

#include "version.h"

#include <QTextStream>

#include <algorithm>

namespace
{

const QString kFileHelp = QStringLiteral("在计算器中打开这个文档，如同“打开”命令");

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// A help line: the names padded to one column, counting a Chinese character as two.
QString helpLine(const QString &names, const QString &description)
{
    qsizetype width = 0;
    for (const QChar c : names)
        width += c.unicode() < 0x1100 ? 1 : 2;
    return QStringLiteral("  ") + names + QString(qMax<qsizetype>(18 - width, 2), u' ') +
           description + u'\n';
}

QString optionNames(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append(dashed(name));
    return names.join(QStringLiteral(", "));
}

// A platform plugin that cannot start without a display server: xcb and Wayland's. The value may
// carry options after a colon.
bool needsDisplay(const QString &platform)
{
    const QString name = platform.section(u':', 0, 0).trimmed();
    return name.isEmpty() || name == QLatin1String("xcb") ||
           name.startsWith(QLatin1String("wayland"));
}

} // namespace

CommandLine::CommandLine()
    : m_help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("显示本帮助后退出")),
      m_version({QStringLiteral("v"), QStringLiteral("version")},
                QStringLiteral("显示版本号后退出")),
      m_calculator(QStringLiteral("calculator"), QStringLiteral("不经启动画面，直接打开计算器")),
      m_plotter(QStringLiteral("plotter"), QStringLiteral("不经启动画面，直接打开解方程"))
{
    m_parser.addOptions({m_help, m_version, m_calculator, m_plotter});
}

QString CommandLine::usage() const
{
    QString text;
    QTextStream out(&text);
    out << "用法：yaoshi [选项] [文件]\n"
        << "曜石：科学计算器与解方程。\n\n"
        << "选项：\n";
    for (const QCommandLineOption *option : {&m_help, &m_version, &m_calculator, &m_plotter})
        out << helpLine(optionNames(*option), option->description());
    out << "\n参数：\n" << helpLine(QStringLiteral("文件"), kFileHelp);
    return text;
}

std::optional<int> CommandLine::answerQuery(const QStringList &arguments, QTextStream &out)
{
    m_parser.parse(arguments); // whatever else is wrong is told later
    if (m_parser.isSet(m_help)) {
        out << usage();
        return 0;
    }
    if (m_parser.isSet(m_version)) {
        out << "yaoshi " << kVersion << '\n';
        return 0;
    }
    return std::nullopt;
}

std::optional<StartRequest> CommandLine::read(const QStringList &arguments, QTextStream &err)
{
    QString mistake;
    if (!m_parser.parse(arguments)) {
        const QStringList unknown = m_parser.unknownOptionNames();
        mistake = unknown.isEmpty() ? m_parser.errorText()
                                    : QStringLiteral("未知选项“%1”").arg(dashed(unknown.front()));
    } else if (m_parser.positionalArguments().size() > 1) {
        mistake = QStringLiteral("一次只能打开一个文件");
    }
    if (!mistake.isEmpty()) {
        err << "yaoshi：" << mistake << "\n\n" << usage();
        return std::nullopt;
    }
    StartRequest request;
    request.calculator = m_parser.isSet(m_calculator);
    request.plotter = m_parser.isSet(m_plotter);
    if (!m_parser.positionalArguments().isEmpty())
        request.document = m_parser.positionalArguments().front();
    return request;
}

bool CommandLine::displayMissing(const QStringList &arguments)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    // Qt reads its own options with one dash or two, and the value as the next argument.
    for (const QString &argument : arguments.mid(1)) {
        const QString option =
            argument.startsWith(QLatin1String("--")) ? argument.mid(1) : argument;
        if (option == QLatin1String("-platform") || option == QLatin1String("-display"))
            return false;
    }
    // A list of plugins is tried in order: one that needs no display is enough.
    const QStringList platforms =
        qEnvironmentVariable("QT_QPA_PLATFORM").split(u';', Qt::KeepEmptyParts);
    return std::all_of(platforms.cbegin(), platforms.cend(), needsDisplay);
}

QString CommandLine::noDisplayMessage()
{
    return QStringLiteral("yaoshi：没有可用的图形显示（DISPLAY 和 WAYLAND_DISPLAY 都未设置）/ "
                          "yaoshi: no display to show the windows on (neither DISPLAY nor "
                          "WAYLAND_DISPLAY is set)\n");
}
