#include "ExitSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace {

volatile std::sig_atomic_t earlierHandlerGot = 0;

} // namespace

class TestExitSignals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void signalBecomesAnExitRequest_data();
    void signalBecomesAnExitRequest();
};

void TestExitSignals::signalBecomesAnExitRequest_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

// The handler installed before stands for whatever the process had, the default that ends it
// included: while ExitSignals exists it is never called, not even for a second signal, and
// once ExitSignals is gone it is called again.
void TestExitSignals::signalBecomesAnExitRequest()
{
    QFETCH(int, signalNumber);
    struct sigaction earlier = {};
    struct sigaction testRunners = {};
    earlier.sa_handler = [](int signalNumber) { earlierHandlerGot = signalNumber; };
    QCOMPARE(::sigaction(signalNumber, &earlier, &testRunners), 0);
    earlierHandlerGot = 0;
    {
        ExitSignals exitSignals;
        QSignalSpy requested(&exitSignals, &ExitSignals::exitRequested);
        QCOMPARE(::raise(signalNumber), 0);
        QCOMPARE(requested.count(), 0); // not from inside the handler: from the event loop
        QCOMPARE(::raise(signalNumber), 0);

        QTRY_COMPARE(requested, (QList<QList<QVariant>>{{signalNumber}, {signalNumber}}));
        QCOMPARE(int(earlierHandlerGot), 0);
    }
    QCOMPARE(::raise(signalNumber), 0);
    QCOMPARE(int(earlierHandlerGot), signalNumber);
    ::sigaction(signalNumber, &testRunners, nullptr);
}

QTEST_GUILESS_MAIN(TestExitSignals)
#include "tst_exitsignals.moc"
