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

const QByteArray OkReply = QByteArrayLiteral("\r\nOK\r\n");
const QByteArray HangUpLine = QByteArrayLiteral("ATH0\r");
// Each wait has its own length, so that the event log tells them apart.
const LineControl::Timing ShortTiming{300, 120, 160, 200};
// Long enough that an interrupted wait clearly did not run out.
const LineControl::Timing LongTiming{3000, 700, 700, 100};
// An interrupted wait must end at once; parallel test runs may delay it somewhat.
constexpr int PromptMs = 500;

enum class Operation { Hook, PulseDial, Tones, Pair, HookOff };
enum class Interruption { HookOff, Exit, Unplug };

bool acceptAll(const QString&)
{
    return true;
}

// A line control on a fake port, with every signal it emits logged in order.
struct Fixture {
    explicit Fixture(const LineControl::Timing& timing = ShortTiming) : line(opener, timing)
    {
        opener.setAutoReply(OkReply);
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
                             events << ((answered ? "OK " : "no OK ") + answer).trimmed();
                         });
        QObject::connect(&line, &LineControl::replyTimedOut,
                         [this](const QString& answer) { events << ("box " + answer).trimmed(); });
        QObject::connect(&line, &LineControl::deviceFailed,
                         [this](const QString& device, const QString& detail) {
                             events << QStringLiteral("device failed %1 (%2)").arg(device, detail);
                         });
    }

    FakeModemDevice& device() { return *opener.device(); }
    // The events from index from on, as one text: "Hooking|busy|Reply 300|end|OK|...".
    QString log(qsizetype from = 0) const { return events.mid(from).join(QLatin1Char('|')); }

    // Takes the line to from (on COM3) with a modem that answers OK, then forgets what that
    // wrote and logged.
    void reach(State from)
    {
        if (from != State::Idle)
            line.hook(2);
        if (from == State::Dialled)
            line.dial(LineControl::DialMode::Tone, QStringLiteral("0451234567"));
        QCOMPARE(line.state(), from);
        if (opener.device())
            device().clearWritten();
        events.clear();
    }
    // A pair refuses the part equal to argument.
    void run(Operation operation, const QString& argument = QStringLiteral("1"))
    {
        const auto acceptOthers = [argument](const QString& tones) { return tones != argument; };
        const std::map<Operation, std::function<void()>> operations{
            {Operation::Hook, [&] { line.hook(2); }},
            {Operation::PulseDial, [&] { line.dial(LineControl::DialMode::Pulse, argument); }},
            {Operation::Tones, [&] { line.sendTones(argument); }},
            {Operation::Pair, [&] { line.sendTonePair("12345678", "1234", acceptOthers); }},
            {Operation::HookOff, [&] { line.hookOff(); }},
        };
        operations.at(operation)();
    }
    // Runs action nested inside the waitIndex-th wait (1 = first) of what follows.
    void duringWait(int waitIndex, const std::function<void()>& action)
    {
        auto started = std::make_shared<int>(0);
        QObject::connect(&line, &LineControl::waitStarted, &line, [=] {
            if (++*started == waitIndex)
                QTimer::singleShot(30, &line, action);
        });
    }

    QStringList events;
    FakePortOpener opener;
    LineControl line;
};

} // namespace

class TestLineControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operationsWriteTheirCommandAndMoveTheLine_data();
    void operationsWriteTheirCommandAndMoveTheLine();
    void defaultReplyTimeoutIsFiveSeconds();
    void nothingButHookRunsWhileIdle();
    void interruptionEndsTheRunningWaitAtOnce_data();
    void interruptionEndsTheRunningWaitAtOnce();
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
    QTest::newRow("hook") << State::Idle << Operation::Hook << QString() << Lines{"ATH1\r"}
                          << "Hooking|busy|Reply 300|end|OK|OffHook|free";
    // The dial pause runs although the modem answered OK at once.
    QTest::newRow("pulse dial, hyphens kept")
        << State::OffHook << Operation::PulseDial << QStringLiteral("045-123-4567")
        << Lines{"ATDP045-123-4567;\r"}
        << "Dialling|busy|Pause 120|end|Reply 300|end|OK|Dialled|free";
    QTest::newRow("pair") << State::Dialled << Operation::Pair << QString() << Lines{first, second}
                          << "busy|Reply 300|end|OK|Pause 160|end|Reply 300|end|OK|free";
    // The pause runs whether a part was sent or refused.
    QTest::newRow("pair, first refused")
        << State::Dialled << Operation::Pair << QStringLiteral("12345678") << Lines{second}
        << "busy|Pause 160|end|Reply 300|end|OK|free";
    QTest::newRow("hook off") << State::Dialled << Operation::HookOff << QString()
                              << Lines{HangUpLine} << "HangingUp|busy|Reply 300|end|OK|Idle|free";
}

void TestLineControl::operationsWriteTheirCommandAndMoveTheLine()
{
    QFETCH(State, from);
    QFETCH(Operation, operation);
    QFETCH(QString, argument);
    Fixture f;
    f.reach(from);
    // A late answer to an earlier command: each command discards it, or its "OK" names it.
    if (from != State::Idle)
        f.device().feed("\r\nBUSY\r\n");

    f.run(operation, argument);

    QTEST(f.device().writes(), "written");
    QTEST(f.log(), "events");
    // Only a hang-up closes the port, and then releases its device.
    QCOMPARE(f.line.isPortOpen(), f.line.state() != State::Idle);
    QTRY_COMPARE(f.opener.device() != nullptr, f.line.isPortOpen());
}

void TestLineControl::defaultReplyTimeoutIsFiveSeconds()
{
    Fixture f{LineControl::Timing()};
    f.opener.setAutoReply({});
    QElapsedTimer clock;
    clock.start();

    f.line.hook(0);

    QVERIFY2(clock.elapsed() >= 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(f.events.filter("box"), QStringList{"box"});
    QCOMPARE(f.line.state(), State::OffHook); // a timeout does not stop the transition
}

// While an operation runs, the interruption cases check that nothing but a hang-up starts.
void TestLineControl::nothingButHookRunsWhileIdle()
{
    Fixture f;
    f.line.dial(LineControl::DialMode::Tone, QStringLiteral("1"));
    f.line.hookOff();
    f.line.hangUpForExit();
    QVERIFY(!f.line.sendTones(QStringLiteral("1")));
    QVERIFY(!f.line.sendTonePair(QStringLiteral("1"), QStringLiteral("2"), acceptAll));
    QVERIFY(f.opener.requests().isEmpty());
    QCOMPARE(f.events, QStringList());
}

void TestLineControl::interruptionEndsTheRunningWaitAtOnce_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("waitIndex");
    QTest::addColumn<Lines>("unanswered");
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<Lines>("written");
    QTest::addColumn<QString>("events"); // from the interruption on

    const QByteArray hookLine = "ATH1\r";
    const QByteArray toneLine = "ATDT1;\r\n";
    const QString hungUp = "end|HangingUp|Reply 3000|end|OK|Idle|free";
    const QString failed = QStringLiteral("Idle|device failed fake:COM3 (Input/output error)");
    QTest::newRow("hook off, reply wait of tones sent off-hook")
        << State::OffHook << Operation::Tones << 1 << Lines{toneLine} << Interruption::HookOff
        << Lines{toneLine, HangUpLine} << hungUp;
    QTest::newRow("hook off, pair pause")
        << State::Dialled << Operation::Pair << 2 << Lines{"ATDT1234;\r\n"} << Interruption::HookOff
        << Lines{"ATDT12345678;\r\n", HangUpLine} << hungUp;
    // Even an unanswered hang-up on exit waits only its own short time, without a box.
    QTest::newRow("exit, hook's reply wait")
        << State::Idle << Operation::Hook << 1 << Lines{hookLine, HangUpLine} << Interruption::Exit
        << Lines{hookLine, HangUpLine} << "end|HangingUp|Reply 100|end|no OK|Idle|free";
    QTest::newRow("unplugged in a reply wait")
        << State::Dialled << Operation::Tones << 1 << Lines{toneLine} << Interruption::Unplug
        << Lines{toneLine} << "end|free|" + failed;
}

void TestLineControl::interruptionEndsTheRunningWaitAtOnce()
{
    QFETCH(State, from);
    QFETCH(Operation, operation);
    QFETCH(int, waitIndex);
    QFETCH(Lines, unanswered);
    QFETCH(Interruption, interruption);
    QFETCH(QString, events);
    Fixture f(LongTiming);
    const auto answerAllBut = [unanswered](const QByteArray& line) {
        return unanswered.contains(line) ? QByteArray() : OkReply;
    };
    f.opener.setResponder(answerAllBut);
    f.reach(from);
    qsizetype atClick = -1;
    QElapsedTimer sinceClick;
    Lines written;
    f.duringWait(waitIndex, [&] {
        atClick = f.events.size();
        sinceClick.start();
        // The user clicks around: only the hang-up runs.
        QVERIFY(!f.line.sendTones(QStringLiteral("9")));
        QVERIFY(!f.line.sendTonePair(QStringLiteral("9"), QStringLiteral("9"), acceptAll));
        f.line.dial(LineControl::DialMode::Tone, QStringLiteral("9"));
        f.line.hook(1);
        if (interruption == Interruption::HookOff)
            f.line.hookOff();
        else if (interruption == Interruption::Exit)
            f.line.hangUpForExit();
        else
            f.device().vanish(QStringLiteral("Input/output error"));
        written = f.device().writes();
    });

    f.run(operation);

    // The interrupted operation goes no further, and nothing follows: no second report, no box.
    QTRY_COMPARE(f.log(atClick), events);
    QVERIFY2(sinceClick.elapsed() < LongTiming.exitReplyTimeoutMs + PromptMs,
             qPrintable(QString::number(sinceClick.elapsed())));
    QTEST(written, "written");
    QCOMPARE(f.opener.requests(), QList<int>{2});
    QTRY_VERIFY(!f.opener.device());
    QTest::qWait(50);
    QCOMPARE(f.log(atClick), events);
}

void TestLineControl::destroyedDuringAWait()
{
    FakePortOpener opener;
    opener.setAutoReply(OkReply);
    auto* line = new LineControl(opener);
    line->hook(0);
    opener.device()->setAutoReply({});
    QTimer::singleShot(30, [line] { delete line; });

    QVERIFY(line->sendTones(QStringLiteral("1")));

    QTRY_VERIFY(!opener.device());
}

QTEST_GUILESS_MAIN(TestLineControl)
#include "tst_linecontrol.moc"
