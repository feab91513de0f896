#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

// What the command line asks for beyond the usual start with the splash.
struct StartRequest {
    bool calculator = false;
    bool plotter = false;
    QString document; // opened in the calculator

    bool isPlainStart() const { return !calculator && !plotter && document.isEmpty(); }
};

// The program's command line: yaoshi [--calculator] [--plotter] [FILE], --help, --version.
class CommandLine
{
public:
    CommandLine();

    // --help and --version, answered from the raw arguments before the GUI starts, so that they
    // need no display. Returns the exit status when it printed the answer to `out`.
    std::optional<int> answerQuery(const QStringList &arguments, QTextStream &out);

    // Everything else, once Qt has taken its own options (-platform, -style, ...) out. An
    // unknown option or a second file prints what is wrong and the usage to `err`, and gives
    // nothing: the program then ends with status 2.
    std::optional<StartRequest> read(const QStringList &arguments, QTextStream &err);

    QString usage() const;

    // Whether the window system the program would start on needs a display and there is none:
    // no DISPLAY and no WAYLAND_DISPLAY, no -platform or -display among the raw arguments, and
    // QT_QPA_PLATFORM unset or naming only xcb or Wayland. Qt would abort with lines of its own.
    static bool displayMissing(const QStringList &arguments);

    // What the program says then, in one line, in Chinese and English.
    static QString noDisplayMessage();

private:
    QCommandLineParser m_parser;
    QCommandLineOption m_help, m_version, m_calculator, m_plotter;
};

// The exit status of a command line that could not be read.
constexpr int kUsageError = 2;

// The exit status when there is no display to show the windows on.
constexpr int kNoDisplay = 1;
