#include "FakePortOpener.h"
#include "LineControl.h"
#include "RecordingAudioOutput.h"
#include "VoiceReceiver.h"

#include <QElapsedTimer>
#include <QMetaEnum>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

using State = LineControl::State;
using Wait = LineControl::Wait;
using DialMode = LineControl::DialMode;
using Lines = QList<QByteArray>;

const QByteArray HangUpLine = QByteArrayLiteral("ATH0\r");
const QByteArray FirstOfPair = QByteArrayLiteral("ATDT12345678;\r\n");
// Each wait has its own length, so that the event log tells them apart.
const LineControl::Timing ShortTiming{300, 120, 160, 100};
// Long enough that an interrupted wait clearly did not run out.
const LineControl::Timing LongTiming{3000, 600, 600, 100};
// Parallel test runs may delay a wait's end or an interruption; never make either early.
constexpr int LateBoundMs = 300;

enum class Interruption { None, HookOff, Exit, Unplug };

// A line control (the real timings without one) on a fake port that logs, in order, every
// line written and every signal emitted. A wait's end is logged as "end" before its length,
// "ran" after it, "late" long after.
struct Fixture : QObject {
    explicit Fixture(const LineControl::Timing* timing = nullptr)
        : voice([] { return std::make_unique<RecordingAudioOutput>(); }, PromptTimings()),
          line(timing ? std::make_unique<LineControl>(opener, voice, *timing)
                      : std::make_unique<LineControl>(opener, voice))
    {
        opener.setResponder([this](const QByteArray& command) {
            written << command;
            return unanswered.contains(command) ? QByteArray() : QByteArray("\r\nOK\r\n");
        });
        LineControl* l = line.get();
        connect(l, &LineControl::stateChanged, this, [this](State state) {
            log(QString::fromLatin1(QMetaEnum::fromType<State>().valueToKey(int(state))));
        });
        connect(l, &LineControl::busyChanged, this,
                [this](bool busy) { log(busy ? "busy" : "free"); });
        connect(l, &LineControl::waitStarted, this, [this](Wait kind, int ms) {
            waitMs = ms;
            waitClock.start();
            log(QStringLiteral("%1 %2").arg(kind == Wait::Reply ? "Reply" : "Pause").arg(ms));
            if (duringWait)
                QTimer::singleShot(0, this, [this, kind] { duringWait(kind); });
        });
        connect(l, &LineControl::waitEnded, this, [this] {
            const qint64 ms = waitClock.elapsed();
            log(ms < waitMs ? "end" : ms < waitMs + LateBoundMs ? "ran" : "late");
        });
        connect(l, &LineControl::commandAnswered, this,
                [this](bool ok, const QString& answer) { log((ok ? "OK " : "no OK ") + answer); });
        connect(l, &LineControl::replyTimedOut, this,
                [this](const QString& answer) { log("box " + answer); });
        connect(l, &LineControl::deviceFailed, this,
                [this](const QString& device, const QString& why) {
                    log(QStringLiteral("device failed %1 (%2)").arg(device, why));
                });
    }

    void log(const QString& event) { events << event.trimmed(); }
    // Takes the line to from (on COM3), then forgets what that wrote and logged.
    void reach(State from)
    {
        if (from != State::Idle)
            line->hook(QStringLiteral("fake:COM3"));
        if (from == State::Dialled)
            line->dial(DialMode::Tone, QStringLiteral("0451234567"));
        QCOMPARE(line->state(), from);
        written.clear();
        events.clear();
    }
    FakePortOpener opener;
    VoiceReceiver voice;
    std::unique_ptr<LineControl> line;
    Lines written;
    Lines unanswered; // the modem answers OK to every other line
    QStringList events;
    std::function<void(Wait)> duringWait; // runs inside each wait, as a click would
    QElapsedTimer waitClock;
    int waitMs = 0;
};

using Operation = void (*)(Fixture&);

void sendPair(Fixture& f, bool (*check)(const QString&))
{
    f.line->sendTonePair(QStringLiteral("12345678"), QStringLiteral("1234"), check);
}

} // namespace

class TestLineControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operationWritesItsCommandsAndMovesTheLine_data();
    void operationWritesItsCommandsAndMovesTheLine();
    void realTimings();
    void destroyedDuringAWait();
    void voiceModeRefusedCallsAtTheCommandsSpeed();
};

void TestLineControl::operationWritesItsCommandsAndMovesTheLine_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("waitIndex"); // the operation's wait that is interrupted (1 = first)
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<Lines>("written");
    QTest::addColumn<QString>("events"); // from the interruption on, if any

    const auto row = [](const char* name, State from, Operation operation, const Lines& written,
                        const QString& events, int waitIndex = 0,
                        Interruption interruption = Interruption::None) {
        QTest::newRow(name) << from << operation << waitIndex << interruption << written << events;
    };
    const Operation none = [](Fixture&) {};
    const Operation hook = [](Fixture& f) { f.line->hook(QStringLiteral("fake:COM3")); };
    const Operation pulse = [](Fixture& f) { f.line->dial(DialMode::Pulse, "045-123-4567"); };
    const Operation tone = [](Fixture& f) { f.line->dial(DialMode::Tone, "045-123-4567"); };
    const Operation tones = [](Fixture& f) { f.line->sendTones(QStringLiteral("1")); };
    const Operation pair = [](Fixture& f) { sendPair(f, [](const QString&) { return true; }); };
    const Operation pairRefused = [](Fixture& f) {
        sendPair(f, [](const QString& tones) { return tones != "12345678"; });
    };
    const Operation pairUnanswered = [](Fixture& f) {
        f.unanswered = {FirstOfPair};
        sendPair(f, [](const QString&) { return true; });
    };
    const Operation refused = [](Fixture& f) {
        f.opener.device()->failWrites(QStringLiteral("EIO"));
        f.line->sendTones(QStringLiteral("1"));
    };
    const QByteArray hookLine = "ATH1\r", dialLine = "ATDP045-123-4567;\r", toneLine = "ATDT1;\r\n";
    const QString dialled = "Dialling|busy|Pause 120|ran|Reply 300|end|OK|Dialled|free";
    const QString pairEnd = "Pause 160|ran|Reply 300|end|OK|free";
    row("hook", State::Idle, hook, {hookLine}, "Hooking|busy|Reply 300|end|OK|OffHook|free");
    // The dial pause runs although the modem answered OK at once.
    row("pulse dial", State::OffHook, pulse, {dialLine}, dialled);
    row("tone dial", State::OffHook, tone, {"ATDT045-123-4567;\r"}, dialled);
    // The pause runs whether the first part was sent, refused or left unanswered.
    row("pair", State::Dialled, pair, {FirstOfPair, "ATDT1234;\r\n"},
        "busy|Reply 300|end|OK|" + pairEnd);
    row("pair, first refused", State::Dialled, pairRefused, {"ATDT1234;\r\n"}, "busy|" + pairEnd);
    row("pair, first unanswered", State::Dialled, pairUnanswered, {FirstOfPair, "ATDT1234;\r\n"},
        "busy|Reply 300|ran|no OK|box|" + pairEnd);
    row("hook off", State::Dialled, none, {HangUpLine}, "HangingUp|busy|Reply 300|end|OK|Idle|free",
        0, Interruption::HookOff);
    const auto exit = [&](const char* name, State from, Operation operation, int waitIndex,
                          const Lines& written) {
        row(name, from, operation, written + Lines{HangUpLine},
            (waitIndex ? "end|HangingUp|" : "HangingUp|busy|") +
                QStringLiteral("Reply 100|ran|no OK|Idle|free"),
            waitIndex, Interruption::Exit);
    };
    row("exit idle", State::Idle, none, {}, "", 0, Interruption::Exit);
    exit("exit off-hook", State::OffHook, none, 0, {});
    exit("exit dialled", State::Dialled, none, 0, {});
    exit("exit in hook's reply wait", State::Idle, hook, 1, {hookLine});
    exit("exit in dial pause", State::OffHook, pulse, 1, {dialLine});
    exit("exit in dial's reply wait", State::OffHook, pulse, 2, {dialLine});
    exit("exit in a tone's reply wait", State::Dialled, tones, 1, {toneLine});
    exit("exit in pair pause", State::OffHook, pairRefused, 1, {});
    row("hook off in a tone's reply wait", State::OffHook, tones, {toneLine, HangUpLine},
        "end|HangingUp|Reply 3000|end|OK|Idle|free", 1, Interruption::HookOff);
    row("unplugged in a reply wait", State::OffHook, tones, {toneLine},
        "end|free|Idle|device failed fake:COM3 (Input/output error)", 1, Interruption::Unplug);
    row("write refused", State::OffHook, refused, {},
        "busy|free|Idle|device failed fake:COM3 (EIO)");
}

void TestLineControl::operationWritesItsCommandsAndMovesTheLine()
{
    QFETCH(State, from);
    QFETCH(Operation, operation);
    QFETCH(int, waitIndex);
    QFETCH(Interruption, interruption);
    QFETCH(Lines, written);
    QFETCH(QString, events);
    Fixture f(waitIndex ? &LongTiming : &ShortTiming);
    f.reach(from);
    // The modem never answers the interrupted wait, nor the hang-up on exit: that waits only
    // its own short time, without a box.
    if (waitIndex > 0 || interruption == Interruption::Exit)
        f.unanswered = written;
    if (interruption == Interruption::HookOff)
        f.unanswered.removeAll(HangUpLine);
    // A late answer to an earlier command: each command discards it, or its "OK" names it.
    if (from != State::Idle)
        f.opener.device()->feed("\r\nBUSY\r\n");
    qsizetype atClick = 0;
    QElapsedTimer sinceClick;
    const auto interrupt = [&] {
        atClick = f.events.size();
        sinceClick.start();
        // The user clicks around: while busy only the hang-up runs, while idle only Hook.
        if (f.line->isBusy() || f.line->state() == State::Idle) {
            QVERIFY(!f.line->sendTones(QStringLiteral("9")));
            QVERIFY(!f.line->sendTonePair(QStringLiteral("9"), QStringLiteral("9"), nullptr));
            f.line->dial(DialMode::Tone, QStringLiteral("9"));
        }
        if (f.line->isBusy())
            f.line->hook(QStringLiteral("fake:COM2"));
        if (interruption == Interruption::HookOff)
            f.line->hookOff();
        else if (interruption == Interruption::Exit)
            f.line->hangUpForExit();
        else
            f.opener.device()->vanish(QStringLiteral("Input/output error"));
    };
    int started = 0;
    f.duringWait = [&](Wait) {
        if (++started == waitIndex)
            interrupt();
    };
    if (waitIndex == 0 && interruption != Interruption::None)
        interrupt();

    operation(f);

    if (sinceClick.isValid())
        QCOMPARE_LT(sinceClick.elapsed(), LongTiming.exitReplyTimeoutMs + LateBoundMs);
    QTest::qWait(50); // what follows, a device failure reported later or a second box
    QCOMPARE(f.written, written);
    QCOMPARE(f.events.mid(atClick).join('|'), events);
    QVERIFY(!f.opener.requests().contains("fake:COM2")); // the click on Hook opened no port
    // Only a hang-up closes the port, and then releases its device.
    QCOMPARE(f.line->isPortOpen(), f.line->state() != State::Idle);
    QCOMPARE(f.opener.device() != nullptr, f.line->isPortOpen());
}

// The real lengths: each pause is ended at once by an exit; one wait for "OK" runs out in
// full, the one wait of real length in the whole suite.
void TestLineControl::realTimings()
{
    Fixture f;
    f.duringWait = [&f](Wait kind) {
        if (kind == Wait::Pause)
            f.line->hangUpForExit();
    };
    f.unanswered = {"ATH1\r"};
    f.line->hook(QStringLiteral("fake:COM1"));
    f.unanswered.clear();
    f.line->dial(DialMode::Tone, QStringLiteral("1"));
    f.line->hook(QStringLiteral("fake:COM1"));
    f.line->sendTonePair(QStringLiteral("1"), QStringLiteral("2"),
                         [](const QString&) { return false; });

    QCOMPARE(f.events.filter(QRegularExpression("^(Reply|Pause|ran|late)")),
             QStringList({"Reply 5000", "ran", "Pause 5000", "Reply 1000", "Reply 5000",
                          "Pause 3000", "Reply 1000"}));
}

void TestLineControl::destroyedDuringAWait()
{
    Fixture f(&ShortTiming);
    f.reach(State::OffHook);
    f.unanswered = {"ATDT1;\r\n"};
    QTimer::singleShot(30, &f, [&f] { f.line.reset(); });

    QVERIFY(f.line->sendTones(QStringLiteral("1")));

    QTRY_VERIFY(!f.opener.device());
}

// A modem that offers no format to play: out of voice mode again, and the plain call the user
// chose instead runs at the speed plain calls always have.
void TestLineControl::voiceModeRefusedCallsAtTheCommandsSpeed()
{
    Fixture f(&ShortTiming);
    QList<LineControl::VoiceRefusal> asked;
    f.line->hook(QStringLiteral("fake:COM1"), LineControl::Mode::Voice,
                 [&asked](LineControl::VoiceRefusal why) {
                     asked << why;
                     return true;
                 });
    QCOMPARE(asked, QList<LineControl::VoiceRefusal>{LineControl::VoiceRefusal::NoUsableFormat});
    QCOMPARE(f.written,
             (Lines{"AT+FCLASS=8\r", "AT+VSM=?\r", "AT+VLS=?\r", "AT+FCLASS=0\r", "ATH1\r"}));
    QCOMPARE(f.opener.speeds(), (QList<PortOpener::Speed>{PortOpener::Speed::VoiceStream,
                                                          PortOpener::Speed::Commands}));
    QCOMPARE(f.line->state(), State::OffHook);
}

QTEST_GUILESS_MAIN(TestLineControl)
#include "tst_linecontrol.moc"
