#include "ReservationService.h"

#include <QTest>

namespace {

constexpr qint64 LongAfterMs = 60000;

// Dials at 0 and plays each "<digits>@<begin ms>-<end ms>"; returns every transcript line, up
// to the summary of the hang-up long after the last tones.
QStringList call(ReservationService& service, const QStringList& tones)
{
    service.dial(0);
    QStringList lines;
    qint64 endMs = 0;
    for (const QString& entry : tones) {
        const QString digits = entry.section(QLatin1Char('@'), 0, 0);
        const qint64 beginMs =
            entry.section(QLatin1Char('@'), 1).section(QLatin1Char('-'), 0, 0).toLongLong();
        endMs = entry.section(QLatin1Char('-'), 1).toLongLong();
        lines << service.advance(beginMs) << service.hearTones(digits, beginMs, endMs);
    }
    return lines << service.advance(endMs + LongAfterMs) << service.hangUp();
}

} // namespace

class tst_ReservationService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void judge_data();
    void judge();
    void reservationAcceptsTheReadmesCall();
};

void tst_ReservationService::judge_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("ringback");
    QTest::addColumn<QStringList>("tones");
    QTest::addColumn<QStringList>("expected");

    // Step a speaks from 500 to 1500 ms unless cut; b follows a's tones without a pause.
    const char* const twoSteps = "a 1000 2\nb 500 any 0\n";
    QTest::newRow("each after its prompt: accepted")
        << twoSteps << 0 << QStringList{"12@2000-2100", "3@2700-2800"}
        << QStringList{"service on the line",
                       "prompt a",
                       "tones 12 after the prompt",
                       "prompt b",
                       "tones 3 after the prompt",
                       "summary: after the prompt: a b",
                       "summary: DURING the prompt: none",
                       "summary: 予約受付"};
    QTest::newRow("keys during a prompt cut it short")
        << twoSteps << 0 << QStringList{"12@1000-1100", "3@1200-1300"}
        << QStringList{"service on the line",
                       "prompt a",
                       "tones 12 DURING the prompt",
                       "prompt b",
                       "tones 3 DURING the prompt",
                       "summary: after the prompt: none",
                       "summary: DURING the prompt: a b",
                       "summary: 予約受付"};
    QTest::newRow("keys before the prompt began: it never speaks")
        << twoSteps << 0 << QStringList{"12@100-200"}
        << QStringList{"service on the line",
                       "tones 12 DURING the prompt",
                       "prompt b",
                       "summary: after the prompt: none",
                       "summary: DURING the prompt: a",
                       "summary: not accepted, no digits for b"};
    QTest::newRow("too few digits: the step still waits")
        << twoSteps << 0 << QStringList{"1@2000-2000", "12@2500-2500"}
        << QStringList{"service on the line",
                       "prompt a",
                       "tones 1 after the prompt: a waits for 2 digits",
                       "tones 12 after the prompt",
                       "prompt b",
                       "summary: after the prompt: a",
                       "summary: DURING the prompt: none",
                       "summary: not accepted, no digits for b"};
    QTest::newRow("nobody listens during ringback, nor after the last step")
        << "a 100 1\n"
        << 2 << QStringList{"1@5000-5000", "2@7000-7000", "3@8000-8000"}
        << QStringList{"tones 1",
                       "service on the line",
                       "prompt a",
                       "tones 2 after the prompt",
                       "tones 3",
                       "summary: after the prompt: a",
                       "summary: DURING the prompt: none",
                       "summary: 予約受付"};
    QTest::newRow("accepted before the result's digits")
        << "a 100 1\naccept\nresult 100 1\n"
        << 0 << QStringList{"1@1000-1000"}
        << QStringList{"service on the line",
                       "prompt a",
                       "tones 1 after the prompt",
                       "prompt result",
                       "summary: after the prompt: a",
                       "summary: DURING the prompt: none",
                       "summary: 予約受付"};
    QTest::newRow("the service hangs up after its last step")
        << "a 100 1\nhangup\n"
        << 0 << QStringList{"1@1000-1000", "2@2000-2000"}
        << QStringList{"service on the line",
                       "prompt a",
                       "tones 1 after the prompt",
                       "service hung up",
                       "tones 2",
                       "summary: after the prompt: a",
                       "summary: DURING the prompt: none",
                       "summary: 予約受付"};
}

void tst_ReservationService::judge()
{
    QFETCH(QString, script);
    QFETCH(int, ringback);
    QFETCH(QStringList, tones);
    QString error;
    ReservationService service(ServiceScript::parse(script, &error).value(), ringback);
    QTEST(call(service, tones), "expected");
}

// The tones of the README's typical call, each step's 10 s apart, are every step's digits.
void tst_ReservationService::reservationAcceptsTheReadmesCall()
{
    QStringList tones;
    qint64 beginMs = 0;
    for (const char* digits :
         {"002", "1", "12345678", "1234", "0101", "01", "1", "1", "15", "02", "21", "1", "1"}) {
        beginMs += 10000;
        tones << QStringLiteral("%1@%2-%3").arg(digits).arg(beginMs).arg(beginMs + 100);
    }
    ReservationService service(ServiceScript::reservation(), 0);
    const QStringList lines = call(service, tones);
    QCOMPARE(lines.filter(QStringLiteral("DURING")),
             QStringList{"summary: DURING the prompt: none"});
    QCOMPARE(lines.last(), QStringLiteral("summary: 予約受付"));
}

QTEST_GUILESS_MAIN(tst_ReservationService)
#include "tst_ReservationService.moc"
