#pragma once

#include <QObject>

#include <functional>

class QSessionManager;
class QSocketNotifier;

// Ends the run so that unsaved work survives it. SIGTERM, SIGHUP and SIGINT are taken into the
// event loop, where `keep` runs before the loop ends; the session manager's request to save
// runs `commit` (allowed to ask, or not; false cancels the logout); and an end that the
// windowing system forces through exit() (a lost display) still runs `keep`.
class QuitKeeper final : public QObject
{
    Q_OBJECT

public:
    QuitKeeper(std::function<void()> keep, std::function<bool(bool mayAsk)> commit);
    ~QuitKeeper() override;
    QuitKeeper(const QuitKeeper &) = delete;
    QuitKeeper &operator=(const QuitKeeper &) = delete;

private:
    void signalled();
    void commitData(QSessionManager &manager);
    static void atExit();

    std::function<void()> m_keep;
    std::function<bool(bool)> m_commit;
    QSocketNotifier *m_notifier = nullptr;
};
