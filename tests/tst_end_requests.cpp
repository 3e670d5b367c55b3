// Requests to end the program from outside: termination signals and the end
// of the desktop session reach the event loop as one signal each, and the
// handlers that were there before come back afterwards.

#include "platform/end_requests.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <memory>

class TestEndRequests : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachRequestArrives_data();
    void eachRequestArrives();
    void previousHandlersComeBack();
};

void TestEndRequests::eachRequestArrives_data()
{
    QTest::addColumn<int>("signal"); // 0: the session manager asks
    QTest::newRow("end of session") << 0;
#ifdef Q_OS_UNIX
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
#endif
}

void TestEndRequests::eachRequestArrives()
{
    QFETCH(int, signal);
    auto requests = std::make_unique<plat::EndRequests>();
    QSignalSpy spy(requests.get(), &plat::EndRequests::requested);
    QVERIFY(!requests->arrived());
    for (int i = 1; i <= 2; ++i) {
        if (signal) {
            std::raise(signal);
            // Never from inside the handler: only once the event loop runs.
            QCOMPARE(spy.count(), i - 1);
        } else {
            // Qt makes the session manager itself and the request never
            // touches it, so storage of its size stands in for one.
            alignas(QSessionManager) char standIn[sizeof(QSessionManager)];
            Q_EMIT qGuiApp->commitDataRequest(*reinterpret_cast<QSessionManager *>(standIn));
        }
        QVERIFY(requests->arrived());
        QTRY_COMPARE(spy.count(), i);
    }
    // A later listener starts afresh.
    requests.reset();
    QVERIFY(!plat::EndRequests().arrived());
}

void TestEndRequests::previousHandlersComeBack()
{
#ifdef Q_OS_UNIX
    const auto before = std::signal(SIGTERM, SIG_IGN);
    { plat::EndRequests requests; }
    QVERIFY(std::signal(SIGTERM, before) == SIG_IGN);
#else
    QSKIP("no termination signals here");
#endif
}

QTEST_MAIN(TestEndRequests)
#include "tst_end_requests.moc"
