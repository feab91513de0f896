#include "quitkeeper.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

constexpr std::array kSignals = {SIGTERM, SIGHUP, SIGINT};

// A signal handler and an exit handler can reach nothing but static storage: the socket that
// wakes the event loop, and the one keeper that is alive.
int g_signalSocket[2] = {-1, -1};
std::function<void()> *g_atExit = nullptr;

extern "C" void onSignal(int signum)
{
    const int saved = errno;
    const char byte = char(signum);
    [[maybe_unused]] const ssize_t n = ::write(g_signalSocket[1], &byte, 1);
    errno = saved;
}

} // namespace

QuitKeeper::QuitKeeper(std::function<void()> keep, std::function<bool(bool)> commit)
    : m_keep(std::move(keep)), m_commit(std::move(commit))
{
    // One keeper a process takes the signals: a second (as tests make) leaves them to the first.
    if (g_signalSocket[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSocket) == 0) {
        m_notifier = new QSocketNotifier(g_signalSocket[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &QuitKeeper::signalled);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signum : kSignals)
            ::sigaction(signum, &action, nullptr);
    }
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &QuitKeeper::commitData);
    // Registered once a process: the handler does nothing while no keeper is alive.
    static const bool registered = std::atexit(&QuitKeeper::atExit) == 0;
    if (registered && !g_atExit)
        g_atExit = &m_keep;
}

QuitKeeper::~QuitKeeper()
{
    if (g_atExit == &m_keep)
        g_atExit = nullptr;
    if (m_notifier) {
        for (const int signum : kSignals)
            ::signal(signum, SIG_DFL);
        delete m_notifier;
        ::close(g_signalSocket[0]);
        ::close(g_signalSocket[1]);
        g_signalSocket[0] = g_signalSocket[1] = -1;
    }
}

void QuitKeeper::signalled()
{
    char bytes[16];
    while (::read(g_signalSocket[0], bytes, sizeof bytes) > 0) {
    }
    m_keep();
    // exit(), not quit(): quit() would close the windows, and closing asks to save. It ends
    // every loop running now, a start-up question's included; the main loop forgets it when it
    // starts later, so it is asked again from there.
    QCoreApplication::exit(0);
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
}

void QuitKeeper::commitData(QSessionManager &manager)
{
    if (!m_commit(manager.allowsInteraction()))
        manager.cancel();
    manager.release();
}

void QuitKeeper::atExit()
{
    // Reached with a keeper alive only when the run ended without returning from the event
    // loop: the windowing system lost its display and called exit().
    if (g_atExit)
        (*g_atExit)();
}
