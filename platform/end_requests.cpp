#include "platform/end_requests.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <atomic>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace plat {

namespace {

// Lock-free, so the signal handler may touch it.
std::atomic<int> g_arrivals{0};
static_assert(std::atomic<int>::is_always_lock_free);

#ifndef Q_OS_WIN
constexpr int kSignals[] = {SIGTERM, SIGHUP};
int g_pipe[2] = {-1, -1};
struct sigaction g_previous[std::size(kSignals)];

extern "C" void onEndSignal(int)
{
    const int savedErrno = errno;
    g_arrivals.fetch_add(1);
    const char byte = 1;
    // Non-blocking: with the pipe full, a request is waiting anyway.
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

bool openPipe()
{
    if (::pipe(g_pipe) != 0)
        return false;
    for (const int fd : g_pipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    return true;
}
#endif

} // namespace

EndRequests::EndRequests(QObject *parent) : QObject(parent), m_arrivedBefore(g_arrivals.load())
{
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &EndRequests::sessionEnding);
#ifndef Q_OS_WIN
    Q_ASSERT(g_pipe[0] < 0);
    if (!openPipe())
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndRequests::signalled);
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &action, &g_previous[i]);
#endif
}

EndRequests::~EndRequests()
{
#ifndef Q_OS_WIN
    if (!m_notifier)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    delete m_notifier;
    for (int &fd : g_pipe) {
        ::close(fd);
        fd = -1;
    }
#endif
}

bool EndRequests::arrived() const { return g_arrivals.load() != m_arrivedBefore; }

void EndRequests::sessionEnding()
{
    g_arrivals.fetch_add(1);
    Q_EMIT requested();
}

void EndRequests::signalled()
{
#ifndef Q_OS_WIN
    char bytes[64];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
#endif
    Q_EMIT requested();
}

} // namespace plat
