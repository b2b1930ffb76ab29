#include "FakePortOpener.h"
#include "LineControl.h"

#include <QElapsedTimer>
#include <QMetaEnum>
#include <QTest>
#include <QTimer>

#include <map>
#include <memory>

namespace {

using State = LineControl::State;
using Lines = QList<QByteArray>;

const QByteArray ok = QByteArrayLiteral("\r\nOK\r\n");
const QByteArray hangUpLine = QByteArrayLiteral("ATH0\r");
// Each wait has its own length, so that the event log tells them apart.
const LineControl::Timing shortTiming{300, 120, 160, 200};
// Long enough that an interrupted wait clearly did not run out.
const LineControl::Timing longTiming{3000, 700, 700, 100};
// An interrupted wait must end at once; parallel test runs may delay it somewhat.
constexpr int promptMs = 500;

enum class Operation { Hook, ToneDial, PulseDial, Tones, Pair, HookOff, None };

const FakeModemDevice::Responder silent = [](const QByteArray&) { return QByteArray(); };

FakeModemDevice::Responder answerAllBut(const QByteArray& unanswered)
{
    return [unanswered](const QByteArray& line) { return line == unanswered ? QByteArray() : ok; };
}

bool acceptAll(const QString&)
{
    return true;
}

// A line control on a fake port, with every signal it emits logged in order.
struct Fixture {
    Fixture()
    {
        opener.setAutoReply(ok);
        line.setTiming(shortTiming);
        QObject::connect(&line, &LineControl::stateChanged, [this](State state) {
            events << QString::fromLatin1(QMetaEnum::fromType<State>().valueToKey(int(state)));
        });
        QObject::connect(&line, &LineControl::busyChanged,
                         [this](bool busy) { events << (busy ? "busy" : "free"); });
        QObject::connect(&line, &LineControl::waitStarted, [this](LineControl::Wait kind, int ms) {
            const bool reply = kind == LineControl::Wait::Reply;
            events << QStringLiteral("%1 %2").arg(QLatin1String(reply ? "Reply" : "Pause")).arg(ms);
        });
        QObject::connect(&line, &LineControl::waitEnded, [this] { events << "end"; });
        QObject::connect(&line, &LineControl::commandAnswered,
                         [this](bool answered, const QString& answer) {
                             events << (answered ? "OK" : ("no OK " + answer).trimmed());
                         });
        QObject::connect(&line, &LineControl::replyTimedOut,
                         [this](const QString& answer) { events << ("box " + answer).trimmed(); });
        QObject::connect(&line, &LineControl::portOpenFailed,
                         [this](const QString& device, const QString& reason) {
                             events << "open failed " + device + " " + reason;
                         });
        QObject::connect(&line, &LineControl::deviceFailed,
                         [this](const QString& reason) { events << "device failed " + reason; });
    }

    FakeModemDevice& device() { return *opener.device(); }
    // The events from index from on, as one text: "Hooking|busy|Reply 300|end|OK|...".
    QString log(qsizetype from = 0) const { return events.mid(from).join(QLatin1Char('|')); }

    // Takes the line to from (on COM3) with a modem that answers OK, then switches to timing
    // and forgets what that wrote and logged.
    void reach(State from, const LineControl::Timing& timing = shortTiming)
    {
        if (from != State::Idle)
            line.hook(2);
        if (from == State::Dialled)
            line.dial(LineControl::DialMode::Tone, QStringLiteral("0451234567"));
        QCOMPARE(line.state(), from);
        line.setTiming(timing);
        if (opener.device())
            device().clearWritten();
        events.clear();
    }
    // How the modem answers from now on, also on a port opened later.
    void answerWith(const FakeModemDevice::Responder& responder, int delayMs = 0)
    {
        opener.setResponder(responder, delayMs);
        if (opener.device())
            device().setResponder(responder, delayMs);
    }
    // A pair refuses the part equal to argument.
    void run(Operation operation, const QString& argument = QStringLiteral("1"))
    {
        using Mode = LineControl::DialMode;
        const auto acceptOthers = [argument](const QString& tones) { return tones != argument; };
        const std::map<Operation, std::function<void()>> operations{
            {Operation::Hook, [&] { line.hook(2); }},
            {Operation::ToneDial, [&] { line.dial(Mode::Tone, argument); }},
            {Operation::PulseDial, [&] { line.dial(Mode::Pulse, argument); }},
            {Operation::Tones, [&] { line.sendTones(argument); }},
            {Operation::Pair, [&] { line.sendTonePair("12345678", "1234", acceptOthers); }},
            {Operation::HookOff, [&] { line.hookOff(); }},
            {Operation::None, [] {}},
        };
        operations.at(operation)();
    }
    // Runs action nested inside the waitIndex-th wait (1 = first) of what follows; 0: from
    // now, outside any wait.
    void duringWait(int waitIndex, int afterMs, const std::function<void()>& action)
    {
        if (waitIndex == 0) {
            QTimer::singleShot(afterMs, &line, action);
            return;
        }
        auto started = std::make_shared<int>(0);
        QObject::connect(&line, &LineControl::waitStarted, &line,
                         [this, started, waitIndex, afterMs, action] {
                             if (++*started == waitIndex)
                                 QTimer::singleShot(afterMs, &line, action);
                         });
    }

    QStringList events;
    FakePortOpener opener;
    LineControl line{opener};
};

} // namespace

class TestLineControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operationsWriteTheirCommandAndMoveTheLine_data();
    void operationsWriteTheirCommandAndMoveTheLine();
    void hookWithAFailingPortStaysIdle();
    void defaultReplyTimeoutIsFiveSeconds();
    void everyCommandDiscardsEarlierInput_data();
    void everyCommandDiscardsEarlierInput();
    void operationsOutOfStateAreIgnored();
    void duringAWaitOnlyTheHangUpRuns_data();
    void duringAWaitOnlyTheHangUpRuns();
    void deviceFailureEndsTheCallOnce_data();
    void deviceFailureEndsTheCallOnce();
    void destroyedDuringAWait();
};

void TestLineControl::operationsWriteTheirCommandAndMoveTheLine_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<Lines>("written");
    QTest::addColumn<QString>("events");

    const QByteArray first = "ATDT12345678;\r\n";
    const QByteArray second = "ATDT1234;\r\n";
    // The dial pause runs although the modem answered OK at once.
    const QString dial = "Dialling|busy|Pause 120|end|Reply 300|end|OK|Dialled|free";
    const QString hangUp = "HangingUp|busy|Reply 300|end|OK|Idle|free";
    QTest::newRow("hook") << State::Idle << Operation::Hook << QString() << Lines{"ATH1\r"}
                          << "Hooking|busy|Reply 300|end|OK|OffHook|free";
    QTest::newRow("tone dial, hyphens kept")
        << State::OffHook << Operation::ToneDial << QStringLiteral("045-123-4567")
        << Lines{"ATDT045-123-4567;\r"} << dial;
    QTest::newRow("pulse dial") << State::OffHook << Operation::PulseDial
                                << QStringLiteral("0451234567") << Lines{"ATDP0451234567;\r"}
                                << dial;
    QTest::newRow("tones") << State::Dialled << Operation::Tones << QStringLiteral("0*#")
                           << Lines{"ATDT0*#;\r\n"} << "busy|Reply 300|end|OK|free";
    QTest::newRow("pair") << State::Dialled << Operation::Pair << QString() << Lines{first, second}
                          << "busy|Reply 300|end|OK|Pause 160|end|Reply 300|end|OK|free";
    // The pause runs whether a part was sent or refused.
    QTest::newRow("pair, first refused")
        << State::Dialled << Operation::Pair << QStringLiteral("12345678") << Lines{second}
        << "busy|Pause 160|end|Reply 300|end|OK|free";
    QTest::newRow("pair, second refused")
        << State::Dialled << Operation::Pair << QStringLiteral("1234") << Lines{first}
        << "busy|Reply 300|end|OK|Pause 160|end|free";
    QTest::newRow("hook off, off-hook")
        << State::OffHook << Operation::HookOff << QString() << Lines{hangUpLine} << hangUp;
    QTest::newRow("hook off in the call")
        << State::Dialled << Operation::HookOff << QString() << Lines{hangUpLine} << hangUp;
}

void TestLineControl::operationsWriteTheirCommandAndMoveTheLine()
{
    QFETCH(State, from);
    QFETCH(Operation, operation);
    QFETCH(QString, argument);
    Fixture f;
    f.reach(from);

    f.run(operation, argument);

    QTEST(f.device().writes(), "written");
    QTEST(f.log(), "events");
    QCOMPARE(f.opener.requests(), QList<int>{2});
    // Only a hang-up closes the port, and then releases its device.
    QCOMPARE(f.line.isPortOpen(), f.line.state() != State::Idle);
    QTRY_COMPARE(f.opener.device() != nullptr, f.line.isPortOpen());
}

void TestLineControl::hookWithAFailingPortStaysIdle()
{
    Fixture f;
    f.opener.failOpens(QStringLiteral("/dev/ttyS3"), QStringLiteral("見つかりません"));

    f.line.hook(3);

    QCOMPARE(f.log(), QStringLiteral("open failed /dev/ttyS3 見つかりません"));
    QVERIFY(!f.line.isPortOpen());
    f.opener.failOpens({}, {});
    f.line.hook(0); // the user may try again
    QCOMPARE(f.line.state(), State::OffHook);
}

void TestLineControl::defaultReplyTimeoutIsFiveSeconds()
{
    Fixture f;
    f.line.setTiming({});
    f.answerWith(silent);
    QElapsedTimer clock;
    clock.start();

    f.line.hook(0);

    QVERIFY2(clock.elapsed() >= 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(f.events.filter("box"), QStringList{"box"});
    QCOMPARE(f.line.state(), State::OffHook); // a timeout does not stop the transition
}

void TestLineControl::everyCommandDiscardsEarlierInput_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<State>("to");

    QTest::newRow("dial") << State::OffHook << Operation::ToneDial << State::Dialled;
    QTest::newRow("tones") << State::Dialled << Operation::Tones << State::Dialled;
    QTest::newRow("hook off") << State::Dialled << Operation::HookOff << State::Idle;
}

void TestLineControl::everyCommandDiscardsEarlierInput()
{
    QFETCH(State, from);
    QFETCH(Operation, operation);
    QFETCH(State, to);
    Fixture f;
    f.reach(from);
    f.device().setAutoReply("\r\nNO DIALTONE\r\n");
    f.device().feed(ok); // a late answer to an earlier command

    f.run(operation);

    // Only the answer to this command counts: a timeout that names it.
    QCOMPARE(f.events.filter("NO DIALTONE"), (QStringList{"no OK NO DIALTONE", "box NO DIALTONE"}));
    QCOMPARE(f.line.state(), to); // after the box the operation completes
    QCOMPARE(f.line.isPortOpen(), to != State::Idle);
}

void TestLineControl::operationsOutOfStateAreIgnored()
{
    Fixture f;
    f.line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));
    f.line.hookOff();
    f.line.hangUpForExit();
    QVERIFY(!f.line.sendTones(QStringLiteral("1")));
    QVERIFY(!f.line.sendTonePair(QStringLiteral("1"), QStringLiteral("2"), acceptAll));
    QVERIFY(f.opener.requests().isEmpty());
    QCOMPARE(f.events, QStringList());

    f.reach(State::Dialled);
    f.line.hook(1);
    f.line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));

    QCOMPARE(f.opener.requests(), QList<int>{2});
    QVERIFY(f.device().writes().isEmpty());
    QCOMPARE(f.events, QStringList());
}

void TestLineControl::duringAWaitOnlyTheHangUpRuns_data()
{
    QTest::addColumn<bool>("forExit");
    QTest::addColumn<State>("from");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("waitIndex");
    QTest::addColumn<QByteArray>("unanswered");
    QTest::addColumn<Lines>("writtenBefore");

    const QByteArray hookLine = "ATH1\r";
    const QByteArray dialLine = "ATDT1;\r";
    const QByteArray toneLine = "ATDT1;\r\n";
    const QByteArray pairSecond = "ATDT1234;\r\n";
    QTest::newRow("hook off, reply wait of tones sent off-hook")
        << false << State::OffHook << Operation::Tones << 1 << toneLine << Lines{toneLine};
    QTest::newRow("hook off, dial pause")
        << false << State::OffHook << Operation::ToneDial << 1 << dialLine << Lines{dialLine};
    QTest::newRow("hook off, pair pause") << false << State::Dialled << Operation::Pair << 2
                                          << pairSecond << Lines{"ATDT12345678;\r\n"};
    QTest::newRow("exit, hook's reply wait")
        << true << State::Idle << Operation::Hook << 1 << hookLine << Lines{hookLine};
}

void TestLineControl::duringAWaitOnlyTheHangUpRuns()
{
    QFETCH(bool, forExit);
    QFETCH(State, from);
    QFETCH(Operation, operation);
    QFETCH(int, waitIndex);
    QFETCH(QByteArray, unanswered);
    QFETCH(Lines, writtenBefore);
    Fixture f;
    f.reach(from, longTiming);
    f.answerWith(answerAllBut(unanswered), 20);
    qsizetype atClick = -1;
    QElapsedTimer sinceClick;
    Lines written;
    f.duringWait(waitIndex, 30, [&] {
        atClick = f.events.size();
        QVERIFY(!f.line.sendTones(QStringLiteral("9")));
        QVERIFY(!f.line.sendTonePair(QStringLiteral("9"), QStringLiteral("9"), acceptAll));
        f.line.dial(LineControl::DialMode::Tone, QStringLiteral("9"));
        f.line.hook(1);
        sinceClick.start();
        if (forExit) {
            f.answerWith(silent); // no box, the port closes anyway
            f.line.hangUpForExit();
        } else {
            f.line.hookOff();
        }
        written = f.device().writes();
    });

    f.run(operation);

    // Even an unanswered hang-up on exit waits only its own short time.
    QVERIFY2(sinceClick.elapsed() < longTiming.exitReplyTimeoutMs + promptMs,
             qPrintable(QString::number(sinceClick.elapsed())));
    QCOMPARE(written, writtenBefore + Lines{hangUpLine});
    QCOMPARE(f.opener.requests(), QList<int>{2});
    // The running wait ends at once and its operation goes no further.
    QCOMPARE(f.log(atClick), forExit ? "end|HangingUp|Reply 100|end|no OK|Idle|free"
                                     : "end|HangingUp|Reply 3000|end|OK|Idle|free");
    QVERIFY(!f.line.isPortOpen());
    QTRY_VERIFY(!f.opener.device());
}

void TestLineControl::deviceFailureEndsTheCallOnce_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("waitIndex");
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<QString>("events");

    const QString failed = QStringLiteral("Idle|device failed fake:COM3 との通信が途切れました。"
                                          "モデムのケーブルと電源を確かめてください。"
                                          "（Input/output error）");
    QTest::newRow("unplugged in a reply wait")
        << State::Dialled << Operation::Tones << 1 << false << "end|free|" + failed;
    QTest::newRow("unplugged in the dial pause")
        << State::OffHook << Operation::ToneDial << 1 << false << "end|free|" + failed;
    QTest::newRow("unplugged between operations")
        << State::Dialled << Operation::None << 0 << false << failed;
    QTest::newRow("write refused in a pair")
        << State::Dialled << Operation::Pair << 0 << true << "busy|free|" + failed;
}

void TestLineControl::deviceFailureEndsTheCallOnce()
{
    QFETCH(State, from);
    QFETCH(Operation, operation);
    QFETCH(int, waitIndex);
    QFETCH(bool, writeFails);
    QFETCH(QString, events);
    Fixture f;
    f.reach(from, longTiming);
    f.answerWith(silent);
    const QString cause = QStringLiteral("Input/output error");
    qsizetype atFailure = -1;
    QElapsedTimer sinceFailure;
    if (writeFails) {
        atFailure = 0;
        sinceFailure.start();
        f.device().failWrites(cause);
    } else {
        f.duringWait(waitIndex, 30, [&] {
            atFailure = f.events.size();
            sinceFailure.start();
            f.device().vanish(cause);
        });
    }

    f.run(operation);

    QTRY_COMPARE(f.log(atFailure), events);
    QVERIFY2(sinceFailure.elapsed() < promptMs,
             qPrintable(QString::number(sinceFailure.elapsed())));
    QTRY_VERIFY(!f.opener.device());
    QTest::qWait(50); // nothing follows: no second report, no timeout box
    QCOMPARE(f.log(atFailure), events);
    QVERIFY(!f.line.isPortOpen());
}

void TestLineControl::destroyedDuringAWait()
{
    FakePortOpener opener;
    opener.setAutoReply(ok);
    auto* line = new LineControl(opener);
    line->setTiming(longTiming);
    line->hook(0);
    opener.device()->setAutoReply({});
    QTimer::singleShot(30, [line] { delete line; });

    QVERIFY(line->sendTones(QStringLiteral("1")));

    QTRY_VERIFY(!opener.device());
}

QTEST_GUILESS_MAIN(TestLineControl)
#include "tst_linecontrol.moc"
