#include "CallStatus.h"
#include "FakePortOpener.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <memory>
#include <utility>

namespace {

constexpr int NoOverride = -1;

int overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? int(cursor->shape()) : NoOverride;
}

} // namespace

// The status bar of the main window during a call: what is being waited for and how long is
// left, what each step sent and what the modem answered, the busy cursor during every wait.
class TestCallStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_texts.clear();
        m_cursorsInWaits.clear();
        m_cursorsAtBoxes.clear();
    }

    void cleanup()
    {
        m_f.reset();
        QCOMPARE(overrideShape(), NoOverride);
        QCOMPARE(m_cursorsInWaits, QList<int>(m_cursorsInWaits.size(), int(Qt::BusyCursor)));
        QCOMPARE(m_cursorsAtBoxes, QList<int>(m_cursorsAtBoxes.size(), NoOverride));
    }

    // The registration number and the PIN must never be readable over the user's shoulder: the
    // texts name the step, whatever it sends and however it ends.
    void namesStepsButNeverTheirDigits()
    {
        start({300, 60, 60, 200});
        m_f->window().replaceRegistrationList(RegistrationLists::Kind::Members,
                                              {QStringLiteral("山田 98765432 0987")});
        m_f->control<QComboBox>("Combo3")->setCurrentIndex(0);
        m_f->bringCallUp();
        m_f->click("Command6");
        m_opener.device()->setAutoReply("\r\nERROR\r\n"); // the modem refuses: boxes follow
        m_f->boxes().answerNext(MessageBoxes::Answer::Ok, 2);
        QTimer::singleShot(150, this, [this] { m_f->click("Command11_1"); }); // refused meanwhile
        m_f->click("Command6");
        m_opener.device()->vanish(QStringLiteral("Input/output error"));
        m_f->boxes().answerNext(MessageBoxes::Answer::Ok);
        QTRY_COMPARE(m_f->line().state(), LineControl::State::Idle);

        for (const QString& text : std::as_const(m_texts)) {
            for (const char* digits : {"9876", "5432", "0987"})
                QVERIFY2(!text.contains(QLatin1String(digits)), qPrintable(text));
        }
        for (const char* phrase : {"登録番号を送信しました（OK）", "暗証番号の送信まで待機 1秒…",
                                   "暗証番号を送信しました（モデムの応答: ERROR）", "待機中"})
            QVERIFY2(m_texts.contains(QString::fromUtf8(phrase)), phrase);
    }

    void countdownTicksEverySecond()
    {
        start({2500, 60, 60, 200}); // shows 3, 2 after 0.5 s, 1 after 1.5 s
        m_f->bringCallUp();
        m_opener.device()->setAutoReply({});
        m_texts.clear();
        QElapsedTimer clock;
        QList<qint64> shownAt;
        connect(m_f->window().findChild<CallStatus*>(), &CallStatus::activityShown, this,
                [&] { shownAt << clock.elapsed(); });
        clock.start();
        m_f->boxes().answerNext(MessageBoxes::Answer::Ok);
        m_f->click("Command3");
        const QString text = QStringLiteral("サービス番号を送信中、モデムの応答待ち… %1秒");
        QCOMPARE(m_texts.mid(0, 3), (QStringList{text.arg(3), text.arg(2), text.arg(1)}));
        QVERIFY2(shownAt.at(1) >= 500 && shownAt.at(1) < 1400,
                 qPrintable(QString::number(shownAt[1])));
        QVERIFY2(shownAt.at(2) >= 1500 && shownAt.at(2) < 2400,
                 qPrintable(QString::number(shownAt[2])));
    }

private:
    void start(const LineControl::Timing& timing)
    {
        m_opener = FakePortOpener();
        m_opener.setAutoReply(FakeModemDevice::okReply());
        m_f = std::make_unique<WindowFixture>(m_opener, QString(), timing);
        auto* status = m_f->window().findChild<CallStatus*>();
        for (const auto shown : {&CallStatus::activityShown, &CallStatus::lineStateShown})
            connect(status, shown, this, [this](const QString& text) { m_texts << text; });
        LineControl& line = m_f->line();
        connect(&line, &LineControl::waitStarted, this,
                [this] { m_cursorsInWaits << overrideShape(); });
        // The user must be able to answer a box: no busy cursor over it.
        const auto atBox = [this] { m_cursorsAtBoxes << overrideShape(); };
        connect(&line, &LineControl::replyTimedOut, this, atBox, Qt::DirectConnection);
        connect(&line, &LineControl::deviceFailed, this, atBox, Qt::DirectConnection);
    }

    FakePortOpener m_opener;
    std::unique_ptr<WindowFixture> m_f;
    QStringList m_texts;
    QList<int> m_cursorsInWaits;
    QList<int> m_cursorsAtBoxes;
};

QTEST_MAIN(TestCallStatus)
#include "tst_callstatus.moc"
