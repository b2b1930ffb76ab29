#include "ServiceScript.h"

#include <QTest>

namespace {

// "name prompt digits pause" per step, then "accept after N", then "hangup" if it hangs up.
QStringList described(const ServiceScript& script)
{
    QStringList lines;
    for (const ServiceScript::Step& step : script.steps)
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(step.name)
                     .arg(step.promptMs)
                     .arg(step.digits == ServiceScript::AnyDigits ? QStringLiteral("any")
                                                                  : QString::number(step.digits))
                     .arg(step.pauseMs);
    lines << QStringLiteral("accept after %1").arg(script.acceptedAfter);
    if (script.hangsUp)
        lines << QStringLiteral("hangup");
    return lines;
}

} // namespace

class tst_ServiceScript : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void reservationFitsTheProgramsPauses();
};

void tst_ServiceScript::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // the steps, or the error
    QTest::newRow("comments, blank lines, default pause, any digits")
        << "# step prompt digits\n\n  first 1200 3   # a comment\nsecond 0 any 0\n"
        << QStringList{"first 1200 3 500", "second 0 any 0", "accept after 2"};
    QTest::newRow("accept before the result, hangup last")
        << "a 10 1\naccept\nb 10 32 700\nhangup\n"
        << QStringList{"a 10 1 500", "b 10 32 700", "accept after 1", "hangup"};
    QTest::newRow("too few words") << "a 10"
                                   << QStringList{"line 1: expected <step> <prompt ms> "
                                                  "<digits> [<pause ms>]"};
    QTest::newRow("an unknown keyword")
        << "\n# x\naccepted"
        << QStringList{"line 3: expected <step> <prompt ms> <digits> [<pause ms>]"};
    QTest::newRow("no number") << "a ten 1"
                               << QStringList{"line 1: lengths are milliseconds from 0 to 600000"};
    QTest::newRow("a negative pause")
        << "a 10 1 -1" << QStringList{"line 1: lengths are milliseconds from 0 to 600000"};
    QTest::newRow("no digits") << "a 10 0" << QStringList{"line 1: digits are 1 to 32 or \"any\""};
    QTest::newRow("too many digits")
        << "a 10 33" << QStringList{"line 1: digits are 1 to 32 or \"any\""};
    QTest::newRow("accept twice") << "a 1 1\naccept\naccept"
                                  << QStringList{"line 3: a second \"accept\""};
    QTest::newRow("a step after hangup")
        << "a 1 1\nhangup\nb 1 1" << QStringList{"line 3: nothing may follow \"hangup\""};
    QTest::newRow("only comments") << "# nothing\n" << QStringList{"no steps"};
}

void tst_ServiceScript::parse()
{
    QFETCH(QString, text);
    QString error;
    const std::optional<ServiceScript> script = ServiceScript::parse(text, &error);
    QTEST(script ? described(*script) : QStringList{error}, "expected");
}

// The default script is what the demo and the program's tests meet: the PIN's prompt must end
// within the program's 3 s pause after the registration number, the breakdown code follows the
// facility code without a prompt, and the others speak 2-6 s as a caller hears them.
void tst_ServiceScript::reservationFitsTheProgramsPauses()
{
    constexpr int ProgramPauseMs = 3000;
    const ServiceScript script = ServiceScript::reservation();
    for (const ServiceScript::Step& step : script.steps) {
        if (step.name == QLatin1String("pin"))
            QCOMPARE_LT(step.pauseMs + step.promptMs, ProgramPauseMs);
        else if (step.name == QLatin1String("breakdown"))
            QCOMPARE(step.pauseMs + step.promptMs, 0);
        else
            QVERIFY2(step.promptMs >= 2000 && step.promptMs <= 6000, qPrintable(step.name));
    }
}

QTEST_GUILESS_MAIN(tst_ServiceScript)
#include "tst_ServiceScript.moc"
