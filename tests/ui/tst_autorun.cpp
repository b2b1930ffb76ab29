#include "FakePortOpener.h"
#include "RecordedPacing.h"
#include "SettingsFile.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Step = CallProcedure::Step;

const QString Demo = qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini";
constexpr int PaceMs = 300;

// The typical call as a run without voice mode sends it, from the demo's settings.
const QByteArray TypicalCall =
    "ATH1\rATDT0451234567;\rATDT002;\r\nATDT1;\r\nATDT12345678;\r\n"
    "ATDT1234;\r\nATDT0101;\r\nATDT01;\r\nATDT1;\r\nATDT1;\r\nATDT15;\r\n"
    "ATDT02;\r\nATDT21;\r\nATDT1;\r\n";
// Up to the PIN; the run then waits before 施設・内訳.
const QByteArray UpToThePin = TypicalCall.left(TypicalCall.indexOf("ATDT0101"));

enum class TakeOver { HookOff, Escape, StepButton, ToneKey };

} // namespace

Q_DECLARE_METATYPE(TakeOver)

// The automatic run without voice mode, on an in-memory modem that answers "OK": paced by the
// user's own recorded call, checked before it dials, and stopped at once by the user's hand.
class TestAutoRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_opener = FakePortOpener();
        m_sent.clear();
        m_opener.setResponder([this](const QByteArray& written) {
            m_sent += written; // also what a port since closed was sent
            return FakeModemDevice::okReply();
        });
        m_dir = std::make_unique<QTemporaryDir>();
        Settings settings = SettingsFile::load(Demo);
        for (const Step step : CallProcedure::typicalPath().mid(1))
            settings.recordedPaces[std::size_t(step)] = PaceMs;
        QVERIFY(SettingsFile::save(m_dir->filePath("Tarvik.ini"), settings, nullptr));
        m_f = std::make_unique<WindowFixture>(m_opener, m_dir->filePath("Tarvik.ini"));
        m_f->showActive();
    }

    void cleanup()
    {
        QCOMPARE(m_f->boxes().pendingAnswers(), 0);
        m_f.reset();
    }

    // The whole typical call with the recorded waits, and the focus on 次予約 for the user.
    void runsTheTypicalCallAndHandsOver()
    {
        QElapsedTimer clock;
        clock.start();
        run();
        QTRY_VERIFY_WITH_TIMEOUT(runState().startsWith("自動実行が終わりました"), 15000);
        QCOMPARE(written(), TypicalCall);
        QCOMPARE_GE(clock.elapsed(), 11 * PaceMs * 6 / 5); // every wait, and a fifth more
        QCOMPARE(m_f->line().state(), LineControl::State::Dialled);
        QCOMPARE(m_f->focused(), m_f->ui().button(Step::NextReservation));
        QVERIFY(m_f->boxes().shown().isEmpty());
    }

    void takenOverAtOnce_data()
    {
        QTest::addColumn<TakeOver>("how");
        QTest::addColumn<QByteArray>("sentAfter"); // by the user's hand
        QTest::newRow("HookOFF hangs up") << TakeOver::HookOff << QByteArray("ATH0\r");
        QTest::newRow("Escape") << TakeOver::Escape << QByteArray();
        QTest::newRow("a step button") << TakeOver::StepButton << QByteArray("ATDT15;\r\n");
        QTest::newRow("a tone key") << TakeOver::ToneKey << QByteArray("ATDT5;\r\n");
    }

    // While the run waits before 施設・内訳: nothing more goes out than what the user sent.
    void takenOverAtOnce()
    {
        QFETCH(TakeOver, how);
        run();
        QTRY_COMPARE(written(), UpToThePin);
        if (how == TakeOver::HookOff)
            m_f->click(Step::HookOff);
        else if (how == TakeOver::Escape)
            QTest::keyClick(&m_f->window(), Qt::Key_Escape);
        else if (how == TakeOver::StepButton)
            m_f->click(Step::Date);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
        QTest::qWait(3 * PaceMs);
        QTEST(written().mid(UpToThePin.size()), "sentAfter");
        QCOMPARE(runState(), "自動実行を止めました。次は「施設・内訳」です");
    }

    void refusedBeforeDialling_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("member"); // the selection; -1 none
        QTest::addColumn<QString>("box");
        QTest::newRow("no number") << ""
                                   << "15" << 0 << "自動実行: 電話番号が空です";
        QTest::newRow("empty date") << "0451234567"
                                    << "" << 0 << "自動実行: 日付が空です";
        QTest::newRow("letter in the date")
            << "0451234567"
            << "1a" << 0 << "送信文字列エラー: 番号のみ指定してください";
        QTest::newRow("no member")
            << "0451234567"
            << "15" << -1
            << "送信できません: メンバーが選ばれていません。\r\n「登録」メニュー"
               "の「ID番号」でメンバーを登録し、一覧から選んでください。";
    }

    void refusedBeforeDialling()
    {
        QFETCH(QString, number);
        QFETCH(QString, date);
        QFETCH(int, member);
        QFETCH(QString, box);
        m_f->ui().numberField->setText(number);
        m_f->ui().dateField->setText(date);
        m_f->ui().memberList->setCurrentIndex(member);
        m_f->boxes().answerNext(MessageBoxes::Answer::Ok);
        run();
        QCOMPARE(m_f->boxes().texts(), QStringList{box});
        QVERIFY(m_opener.requests().isEmpty()); // nothing opened, nothing sent
    }

    // A call by hand through the whole typical path replaces the recording; one that leaves it
    // does not. Without a recording, and without voice mode, the run cannot be chosen.
    void recordsOnlyAWholeCallByHand()
    {
        const Settings::StepPaces recorded = SettingsFile::load(m_f->settingsPath()).recordedPaces;
        m_f->bringCallUp();
        m_f->click(Step::Service);
        m_f->click(Step::FirstNo); // back to the service: no recording
        m_f->click(Step::HookOff);
        QCOMPARE(SettingsFile::load(m_f->settingsPath()).recordedPaces, recorded);

        for (const Step step : CallProcedure::typicalPath()) {
            QTest::qWait(20);
            m_f->click(step);
        }
        const Settings::StepPaces made = SettingsFile::load(m_f->settingsPath()).recordedPaces;
        QVERIFY(RecordedPacing::isComplete(made));
        QVERIFY(made != recorded);
        QCOMPARE_GE(*made[std::size_t(Step::Purpose)], 20);

        Settings none = SettingsFile::load(m_f->settingsPath());
        none.recordedPaces = {};
        QVERIFY(SettingsFile::save(m_f->settingsPath(), none, nullptr));
        m_f->restart();
        auto* action = m_f->window().findChild<QAction*>("MenuAutoRun");
        QVERIFY(!action->isEnabled());
        QCOMPARE(action->toolTip(), "一度手動で予約すると使えます");
    }

private:
    void run() { m_f->window().findChild<QAction*>("MenuAutoRun")->trigger(); }
    QString runState() const { return m_f->control<QLabel>("RunState")->text(); }
    QByteArray written() const { return m_sent; }

    FakePortOpener m_opener;
    QByteArray m_sent;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestAutoRun)
#include "tst_autorun.moc"
