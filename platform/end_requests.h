#pragma once
// Requests from outside the program to end it: the termination signals a
// desktop sends at log-out (SIGTERM, and SIGHUP when the terminal goes) and
// the desktop session's own end (Qt's commit-data request, which the Windows
// end-session message becomes too). Each is handed on from the event loop,
// never from inside a signal handler: the handler only writes a byte to a
// pipe that the event loop watches. One object at a time.

#include <QObject>

class QSocketNotifier;

namespace plat {

class EndRequests : public QObject {
    Q_OBJECT
public:
    explicit EndRequests(QObject *parent = nullptr);
    // Puts back the handlers that were there before.
    ~EndRequests() override;

    // Whether a request has come since this object was made, handed on yet
    // or not.
    bool arrived() const;

Q_SIGNALS:
    void requested();

private:
    void sessionEnding();
    void signalled();

    QSocketNotifier *m_notifier = nullptr;
    int m_arrivedBefore = 0;
};

} // namespace plat
