#include "FakePortOpener.h"
#include "LineControl.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

using State = LineControl::State;
using Wait = LineControl::Wait;
using Lines = QList<QByteArray>;

const QByteArray ok = QByteArrayLiteral("\r\nOK\r\n");
const QByteArray hangUpLine = QByteArrayLiteral("ATH0\r");

// Replies long enough that an interrupted wait clearly did not run out.
LineControl::Timing interruptTiming()
{
    return {3000, 700, 700, 3000};
}

LineControl::Timing shortTiming()
{
    return {300, 150, 150, 200};
}

// An interrupted wait must end at once; parallel test runs may delay it somewhat.
constexpr int promptMs = 500;

// The operations that talk to the modem, each started from the state it needs.
enum class Operation { Hook, Dial, Tones, Pair };

// A modem that answers OK to every command but one.
FakeModemDevice::Responder silentFor(const QByteArray& unanswered)
{
    return [unanswered](const QByteArray& line) { return line == unanswered ? QByteArray() : ok; };
}

struct Fixture {
    explicit Fixture(const LineControl::Timing& timing)
    {
        opener.setAutoReply(ok);
        line.setTiming(timing);
    }
    // Ready to run operation against a modem that never answers the command unanswered.
    Fixture(const LineControl::Timing& timing, Operation operation, const QByteArray& unanswered)
        : Fixture(timing)
    {
        prepare(operation);
        answerWith(silentFor(unanswered), 20);
    }

    FakeModemDevice& device() { return *opener.device(); }
    QList<State> states() const
    {
        QList<State> list;
        for (const QList<QVariant>& args : stateSpy)
            list << args.at(0).value<State>();
        return list;
    }
    QList<Wait> waitKinds() const
    {
        QList<Wait> list;
        for (const QList<QVariant>& args : waitStarts)
            list << args.at(0).value<Wait>();
        return list;
    }

    // Takes the line and dials with a modem that answers OK, then forgets those writes.
    void reachDialled()
    {
        line.hook(0);
        line.dial(LineControl::DialMode::Tone, QStringLiteral("0451234567"));
        QCOMPARE(line.state(), State::Dialled);
        device().clearWritten();
        for (QSignalSpy* spy : {&stateSpy, &busySpy, &waitStarts, &waitEnds, &answers})
            spy->clear();
    }

    // Brings the line to where operation starts, then runs it.
    void prepare(Operation operation)
    {
        if (operation == Operation::Dial)
            line.hook(0);
        else if (operation != Operation::Hook)
            reachDialled();
        if (opener.device())
            device().clearWritten();
        for (QSignalSpy* spy : {&stateSpy, &busySpy, &waitStarts, &waitEnds, &answers})
            spy->clear();
    }
    // How the modem answers from now on, also on a port opened later.
    void answerWith(const FakeModemDevice::Responder& responder, int delayMs = 0)
    {
        opener.setResponder(responder, delayMs);
        if (opener.device())
            device().setResponder(responder, delayMs);
    }
    void silenceModem()
    {
        answerWith([](const QByteArray&) { return QByteArray(); });
    }
    void run(Operation operation)
    {
        switch (operation) {
        case Operation::Hook:
            line.hook(0);
            break;
        case Operation::Dial:
            line.dial(LineControl::DialMode::Tone, QStringLiteral("123"));
            break;
        case Operation::Tones:
            line.sendTones(QStringLiteral("55"));
            break;
        case Operation::Pair:
            line.sendTonePair(QStringLiteral("12345678"), QStringLiteral("1234"), acceptAll);
            break;
        }
    }

    // Runs action nested inside the waitIndex-th wait (1 = first) of what follows.
    void duringWait(int waitIndex, int afterMs, const std::function<void()>& action)
    {
        auto started = std::make_shared<int>(0);
        QObject::connect(&line, &LineControl::waitStarted, &line,
                         [this, started, waitIndex, afterMs, action] {
                             if (++*started == waitIndex)
                                 QTimer::singleShot(afterMs, &line, action);
                         });
    }

    static bool acceptAll(const QString&) { return true; }

    FakePortOpener opener;
    LineControl line{opener};
    QSignalSpy stateSpy{&line, &LineControl::stateChanged};
    QSignalSpy busySpy{&line, &LineControl::busyChanged};
    QSignalSpy timeouts{&line, &LineControl::replyTimedOut};
    QSignalSpy openFailures{&line, &LineControl::portOpenFailed};
    QSignalSpy deviceFailures{&line, &LineControl::deviceFailed};
    QSignalSpy waitStarts{&line, &LineControl::waitStarted};
    QSignalSpy waitEnds{&line, &LineControl::waitEnded};
    QSignalSpy answers{&line, &LineControl::commandAnswered};
};

void addInterruptibleWaits()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("waitIndex");
    QTest::addColumn<QByteArray>("unanswered");
    QTest::addColumn<Lines>("writtenBeforeHangUp");

    const QByteArray hookLine = "ATH1\r";
    const QByteArray dialLine = "ATDT123;\r";
    const QByteArray toneLine = "ATDT55;\r\n";
    const QByteArray pairFirst = "ATDT12345678;\r\n";
    const QByteArray pairSecond = "ATDT1234;\r\n";
    QTest::newRow("hook's wait") << Operation::Hook << 1 << hookLine << Lines{hookLine};
    QTest::newRow("dial's pause") << Operation::Dial << 1 << dialLine << Lines{dialLine};
    QTest::newRow("dial's wait") << Operation::Dial << 2 << dialLine << Lines{dialLine};
    QTest::newRow("tone send's wait") << Operation::Tones << 1 << toneLine << Lines{toneLine};
    QTest::newRow("pair's first wait") << Operation::Pair << 1 << pairFirst << Lines{pairFirst};
    QTest::newRow("pair's pause") << Operation::Pair << 2 << pairSecond << Lines{pairFirst};
    QTest::newRow("pair's second wait")
        << Operation::Pair << 3 << pairSecond << Lines{pairFirst, pairSecond};
}

} // namespace

class TestLineControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hookTakesTheLineOffHook();
    void hookWithAFailingPortStaysIdle();
    void defaultReplyTimeoutIsFiveSeconds();
    void dialWritesTheNumberAndPausesBeforeTheWait_data();
    void dialWritesTheNumberAndPausesBeforeTheWait();
    void everyCommandDiscardsEarlierInput_data();
    void everyCommandDiscardsEarlierInput();
    void dialTimeoutNamesTheModemAnswer();
    void hookOffHangsUpAndClosesThePort_data();
    void hookOffHangsUpAndClosesThePort();
    void sendTonesWritesOneToneCommand();
    void tonePairPausesBetweenItsParts_data();
    void tonePairPausesBetweenItsParts();
    void operationsOutOfStateAreIgnored();
    void sendsAreRefusedDuringEveryWait_data();
    void sendsAreRefusedDuringEveryWait();
    void hookOffEndsAnyWaitAndTheOperation_data();
    void hookOffEndsAnyWaitAndTheOperation();
    void exitHangUpEndsAnyWaitWithoutABox_data();
    void exitHangUpEndsAnyWaitWithoutABox();
    void deviceFailureEndsTheCallOnce_data();
    void deviceFailureEndsTheCallOnce();
    void failedWriteEndsTheCallOnce();
    void destroyedDuringAWait();
};

void TestLineControl::hookTakesTheLineOffHook()
{
    Fixture f(shortTiming());

    f.line.hook(2);

    QCOMPARE(f.opener.requests(), QList<int>{2});
    QCOMPARE(f.device().writes(), Lines{"ATH1\r"});
    QCOMPARE(f.states(), (QList<State>{State::Hooking, State::OffHook}));
    QCOMPARE(f.busySpy.size(), 2);
    QVERIFY(!f.line.isBusy());
    QVERIFY(f.line.isPortOpen());
    QCOMPARE(f.timeouts.size(), 0);
}

void TestLineControl::hookWithAFailingPortStaysIdle()
{
    Fixture f(shortTiming());
    f.opener.failOpens(QStringLiteral("/dev/ttyS3"), QStringLiteral("見つかりません"));

    f.line.hook(3);

    QCOMPARE(f.openFailures.size(), 1);
    QCOMPARE(f.openFailures.at(0),
             (QList<QVariant>{QStringLiteral("/dev/ttyS3"), QStringLiteral("見つかりません")}));
    QCOMPARE(f.stateSpy.size(), 0);
    QCOMPARE(f.busySpy.size(), 0);
    QCOMPARE(f.line.state(), State::Idle);
    QVERIFY(!f.line.isPortOpen());

    f.opener.failOpens({}, {});
    f.line.hook(0); // the user may try again
    QCOMPARE(f.line.state(), State::OffHook);
}

void TestLineControl::defaultReplyTimeoutIsFiveSeconds()
{
    FakePortOpener opener;
    LineControl line(opener);
    QSignalSpy timeouts(&line, &LineControl::replyTimedOut);
    QElapsedTimer clock;
    clock.start();

    line.hook(0); // the modem stays silent

    QCOMPARE(timeouts.size(), 1);
    QCOMPARE(timeouts.at(0).at(0).toString(), QString());
    QVERIFY2(clock.elapsed() >= 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(line.state(), State::OffHook); // a timeout does not stop the transition
}

void TestLineControl::dialWritesTheNumberAndPausesBeforeTheWait_data()
{
    QTest::addColumn<LineControl::DialMode>("mode");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QByteArray>("command");

    QTest::newRow("tone") << LineControl::DialMode::Tone << QStringLiteral("0451234567")
                          << QByteArray("ATDT0451234567;\r");
    QTest::newRow("pulse") << LineControl::DialMode::Pulse << QStringLiteral("0451234567")
                           << QByteArray("ATDP0451234567;\r");
    QTest::newRow("hyphens kept") << LineControl::DialMode::Tone << QStringLiteral("045-123-4567")
                                  << QByteArray("ATDT045-123-4567;\r");
    QTest::newRow("empty number") << LineControl::DialMode::Pulse << QString()
                                  << QByteArray("ATDP;\r");
}

void TestLineControl::dialWritesTheNumberAndPausesBeforeTheWait()
{
    QFETCH(LineControl::DialMode, mode);
    QFETCH(QString, number);
    QFETCH(QByteArray, command);
    Fixture f(shortTiming());
    f.line.hook(0);
    f.device().clearWritten();
    f.stateSpy.clear();
    QElapsedTimer clock;
    clock.start();

    f.line.dial(mode, number); // the modem answers OK at once; the pause still runs

    QVERIFY(clock.elapsed() >= shortTiming().dialPauseMs);
    QCOMPARE(f.device().writes(), Lines{command});
    QCOMPARE(f.states(), (QList<State>{State::Dialling, State::Dialled}));
    QCOMPARE(f.waitKinds(), (QList<Wait>{Wait::Reply, Wait::Pause, Wait::Reply}));
    QCOMPARE(f.waitStarts.at(1).at(1).toInt(), shortTiming().dialPauseMs);
    QCOMPARE(f.waitStarts.at(2).at(1).toInt(), shortTiming().replyTimeoutMs);
    QCOMPARE(f.timeouts.size(), 0);
}

void TestLineControl::everyCommandDiscardsEarlierInput_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<int>("operation"); // 0 dial, 1 tones, 2 hook off
    QTest::addColumn<State>("to");

    QTest::newRow("dial") << State::OffHook << 0 << State::Dialled;
    QTest::newRow("tones") << State::Dialled << 1 << State::Dialled;
    QTest::newRow("hook off") << State::Dialled << 2 << State::Idle;
}

void TestLineControl::everyCommandDiscardsEarlierInput()
{
    QFETCH(State, from);
    QFETCH(int, operation);
    QFETCH(State, to);
    Fixture f(shortTiming());
    f.prepare(from == State::OffHook ? Operation::Dial : Operation::Tones);
    f.silenceModem();
    f.device().feed(ok); // a late answer to an earlier command

    if (operation == 0)
        f.line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));
    else if (operation == 1)
        f.line.sendTones(QStringLiteral("1"));
    else
        f.line.hookOff();

    QCOMPARE(f.timeouts.size(), 1);
    QCOMPARE(f.line.state(), to); // after the box the operation completes
    QCOMPARE(f.line.isPortOpen(), to != State::Idle);
}

void TestLineControl::dialTimeoutNamesTheModemAnswer()
{
    Fixture f(shortTiming());
    f.line.hook(0);
    f.device().setAutoReply("\r\nNO DIALTONE\r\n");
    f.answers.clear();

    f.line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));

    QCOMPARE(f.timeouts.size(), 1);
    QCOMPARE(f.timeouts.at(0).at(0).toString(), QStringLiteral("NO DIALTONE"));
    QCOMPARE(f.answers.size(), 1);
    QCOMPARE(f.answers.at(0), (QList<QVariant>{false, QStringLiteral("NO DIALTONE")}));
    QCOMPARE(f.line.state(), State::Dialled);
}

void TestLineControl::hookOffHangsUpAndClosesThePort_data()
{
    QTest::addColumn<bool>("dialled");
    QTest::newRow("from OffHook") << false;
    QTest::newRow("from Dialled") << true;
}

void TestLineControl::hookOffHangsUpAndClosesThePort()
{
    QFETCH(bool, dialled);
    Fixture f(shortTiming());
    if (dialled) {
        f.reachDialled();
    } else {
        f.line.hook(0);
        f.device().clearWritten();
        f.stateSpy.clear();
    }

    f.line.hookOff();

    QCOMPARE(f.device().writes(), Lines{hangUpLine});
    QCOMPARE(f.states(), (QList<State>{State::HangingUp, State::Idle}));
    QVERIFY(!f.line.isPortOpen());
    QVERIFY(!f.device().isOpen());
    QVERIFY(!f.line.isBusy());
    QCOMPARE(f.answers.last(), (QList<QVariant>{true, QString()}));
    QTRY_VERIFY(!f.opener.device()); // released once no wait uses it
    QCOMPARE(f.deviceFailures.size(), 0);
}

void TestLineControl::sendTonesWritesOneToneCommand()
{
    Fixture f(shortTiming());
    f.reachDialled();

    QVERIFY(f.line.sendTones(QStringLiteral("0*#")));

    QCOMPARE(f.device().writes(), Lines{"ATDT0*#;\r\n"});
    QCOMPARE(f.line.state(), State::Dialled);
    QCOMPARE(f.stateSpy.size(), 0);
    QCOMPARE(f.busySpy.size(), 2);
    QCOMPARE(f.timeouts.size(), 0);
}

void TestLineControl::tonePairPausesBetweenItsParts_data()
{
    QTest::addColumn<bool>("firstAccepted");
    QTest::addColumn<bool>("secondAccepted");
    QTest::addColumn<Lines>("written");
    QTest::addColumn<QList<Wait>>("waits");

    const QByteArray first = "ATDT12345678;\r\n";
    const QByteArray second = "ATDT1234;\r\n";
    QTest::newRow("both sent") << true << true << Lines{first, second}
                               << QList<Wait>{Wait::Reply, Wait::Pause, Wait::Reply};
    QTest::newRow("first refused")
        << false << true << Lines{second} << QList<Wait>{Wait::Pause, Wait::Reply};
    QTest::newRow("second refused")
        << true << false << Lines{first} << QList<Wait>{Wait::Reply, Wait::Pause};
    QTest::newRow("both refused") << false << false << Lines{} << QList<Wait>{Wait::Pause};
}

void TestLineControl::tonePairPausesBetweenItsParts()
{
    QFETCH(bool, firstAccepted);
    QFETCH(bool, secondAccepted);
    QFETCH(Lines, written);
    QFETCH(QList<Wait>, waits);
    Fixture f(shortTiming());
    f.reachDialled();
    QStringList asked;
    const auto accept = [&](const QString& tones) {
        asked << tones;
        return asked.size() == 1 ? firstAccepted : secondAccepted;
    };
    QElapsedTimer clock;
    clock.start();

    QVERIFY(f.line.sendTonePair(QStringLiteral("12345678"), QStringLiteral("1234"), accept));

    QVERIFY(clock.elapsed() >= shortTiming().pairPauseMs);
    QCOMPARE(asked, (QStringList{QStringLiteral("12345678"), QStringLiteral("1234")}));
    QCOMPARE(f.device().writes(), written);
    QCOMPARE(f.waitKinds(), waits);
    QCOMPARE(f.waitEnds.size(), waits.size());
    QVERIFY(!f.line.isBusy());
}

void TestLineControl::operationsOutOfStateAreIgnored()
{
    Fixture f(shortTiming());
    f.line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));
    f.line.hookOff();
    f.line.hangUpForExit();
    QVERIFY(!f.line.sendTones(QStringLiteral("1")));
    QVERIFY(!f.line.sendTonePair(QStringLiteral("1"), QStringLiteral("2"), Fixture::acceptAll));
    QVERIFY(f.opener.requests().isEmpty());
    QCOMPARE(f.stateSpy.size(), 0);

    f.reachDialled();
    f.line.hook(1);
    f.line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));

    QCOMPARE(f.opener.requests(), QList<int>{0});
    QVERIFY(f.device().writes().isEmpty());
    QCOMPARE(f.stateSpy.size(), 0);
}

void TestLineControl::sendsAreRefusedDuringEveryWait_data()
{
    addInterruptibleWaits();
}

void TestLineControl::sendsAreRefusedDuringEveryWait()
{
    QFETCH(Operation, operation);
    QFETCH(int, waitIndex);
    // Each answer comes after the pauses, so that every wait runs when the clicks come.
    Fixture f({1000, 150, 150, 200});
    f.prepare(operation);
    f.answerWith([](const QByteArray&) { return ok; }, 250);
    bool tried = false;
    f.duringWait(waitIndex, 20, [&] {
        tried = true;
        const qsizetype writesBefore = f.device().writes().size();
        QVERIFY(f.line.isBusy());
        QVERIFY(!f.line.sendTones(QStringLiteral("9")));
        QVERIFY(!f.line.sendTonePair(QStringLiteral("9"), QStringLiteral("9"), Fixture::acceptAll));
        f.line.dial(LineControl::DialMode::Tone, QStringLiteral("9"));
        f.line.hook(1);
        QCOMPARE(f.device().writes().size(), writesBefore);
    });

    f.run(operation);

    QVERIFY(tried);
    QCOMPARE(f.opener.requests(), QList<int>{0});
    QCOMPARE(f.timeouts.size(), 0);
    QVERIFY(!f.line.isBusy());
}

void TestLineControl::hookOffEndsAnyWaitAndTheOperation_data()
{
    addInterruptibleWaits();
}

void TestLineControl::hookOffEndsAnyWaitAndTheOperation()
{
    QFETCH(Operation, operation);
    QFETCH(int, waitIndex);
    QFETCH(QByteArray, unanswered);
    QFETCH(Lines, writtenBeforeHangUp);
    Fixture f(interruptTiming(), operation, unanswered);
    Lines written;
    QElapsedTimer sinceClick;
    f.duringWait(waitIndex, 30, [&] {
        sinceClick.start();
        f.line.hookOff();
        written = f.device().writes();
    });

    f.run(operation);

    QVERIFY2(sinceClick.elapsed() < promptMs, qPrintable(QString::number(sinceClick.elapsed())));
    QCOMPARE(written, writtenBeforeHangUp + Lines{hangUpLine});
    QCOMPARE(f.waitStarts.size(), waitIndex + 1); // the interrupted operation started no more
    QCOMPARE(f.waitEnds.size(), f.waitStarts.size());
    QCOMPARE(f.timeouts.size(), 0);
    QCOMPARE(f.line.state(), State::Idle);
    QCOMPARE(f.states().last(), State::Idle);
    QVERIFY(!f.states().contains(State::Dialled));
    QVERIFY(!f.line.isBusy());
    QVERIFY(!f.line.isPortOpen());
    QTRY_VERIFY(!f.opener.device());
}

void TestLineControl::exitHangUpEndsAnyWaitWithoutABox_data()
{
    addInterruptibleWaits();
}

void TestLineControl::exitHangUpEndsAnyWaitWithoutABox()
{
    QFETCH(Operation, operation);
    QFETCH(int, waitIndex);
    QFETCH(QByteArray, unanswered);
    LineControl::Timing timing = interruptTiming();
    timing.exitReplyTimeoutMs = 100;
    Fixture f(timing, operation, unanswered);
    Lines written;
    QElapsedTimer sinceClose;
    f.duringWait(waitIndex, 30, [&] {
        sinceClose.start();
        f.silenceModem(); // no answer to the hang-up either: no box, the port closes anyway
        f.line.hangUpForExit();
        written = f.device().writes();
    });

    f.run(operation);

    QVERIFY2(sinceClose.elapsed() >= 100, qPrintable(QString::number(sinceClose.elapsed())));
    QVERIFY2(sinceClose.elapsed() < 100 + promptMs,
             qPrintable(QString::number(sinceClose.elapsed())));
    QCOMPARE(f.timeouts.size(), 0);
    QCOMPARE(f.line.state(), State::Idle);
    QVERIFY(!f.line.isPortOpen());
    QCOMPARE(written.last(), hangUpLine);
    QCOMPARE(f.waitEnds.size(), f.waitStarts.size());
}

void TestLineControl::deviceFailureEndsTheCallOnce_data()
{
    addInterruptibleWaits();
    QTest::newRow("no wait running") << Operation::Tones << 0 << QByteArray() << Lines{};
}

void TestLineControl::deviceFailureEndsTheCallOnce()
{
    QFETCH(Operation, operation);
    QFETCH(int, waitIndex);
    QFETCH(QByteArray, unanswered);
    Fixture f(interruptTiming(), operation, unanswered);
    QElapsedTimer sinceUnplug;
    const auto unplug = [&] {
        sinceUnplug.start();
        f.device().vanish(QStringLiteral("Input/output error"));
    };
    if (waitIndex == 0)
        QTimer::singleShot(30, &f.line, unplug);
    else
        f.duringWait(waitIndex, 30, unplug);

    if (waitIndex != 0)
        f.run(operation);
    QTRY_COMPARE(f.deviceFailures.size(), 1);

    QVERIFY2(sinceUnplug.elapsed() < promptMs, qPrintable(QString::number(sinceUnplug.elapsed())));
    const QString reason = f.deviceFailures.at(0).at(0).toString();
    QVERIFY2(reason.contains(QStringLiteral("fake:COM1")), qPrintable(reason));
    QVERIFY2(reason.contains(QStringLiteral("Input/output error")), qPrintable(reason));
    QCOMPARE(f.timeouts.size(), 0);
    QCOMPARE(f.line.state(), State::Idle);
    QVERIFY(!f.line.isBusy());
    QVERIFY(!f.line.isPortOpen());
    QCOMPARE(f.waitEnds.size(), f.waitStarts.size());
    QTRY_VERIFY(!f.opener.device());
    QTest::qWait(50);
    QCOMPARE(f.deviceFailures.size(), 1);
}

void TestLineControl::failedWriteEndsTheCallOnce()
{
    Fixture f(shortTiming());
    f.reachDialled();
    f.device().failWrites(QStringLiteral("write failed"));

    QVERIFY(f.line.sendTonePair(QStringLiteral("1"), QStringLiteral("2"), Fixture::acceptAll));

    QTRY_COMPARE(f.deviceFailures.size(), 1);
    QCOMPARE(f.line.state(), State::Idle);
    QCOMPARE(f.timeouts.size(), 0);
    QCOMPARE(f.waitStarts.size(), 0); // neither the pause nor the second part ran
}

void TestLineControl::destroyedDuringAWait()
{
    FakePortOpener opener;
    opener.setAutoReply(ok);
    auto* line = new LineControl(opener);
    line->setTiming(interruptTiming());
    line->hook(0);
    opener.device()->setAutoReply({});
    QTimer::singleShot(30, [line] { delete line; });

    QVERIFY(line->sendTones(QStringLiteral("1")));

    QTRY_VERIFY(!opener.device());
}

QTEST_GUILESS_MAIN(TestLineControl)
#include "tst_linecontrol.moc"
