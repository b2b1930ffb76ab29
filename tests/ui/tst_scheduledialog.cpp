#include "ScheduleDialog.h"
#include "ScriptedMessageBoxes.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

namespace {

const QDate Today(2024, 6, 30);

QDateTime on(int day, QTime time)
{
    return QDateTime(Today.addDays(day), time);
}

} // namespace

// The dialog opened modally, against a wall clock the test sets on Today.
class TestScheduleDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void handsBackATimeToCome_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QDateTime>("entered"); // invalid: the time proposed
        QTest::addColumn<QString>("refused");   // the time the box names; empty: no box
        QTest::addColumn<QDateTime>("chosen");  // invalid: nothing
        const QTime noon(12, 0);
        const QTime beforeNoon(11, 59, 59);
        QTest::newRow("a second ago") << noon << on(0, beforeNoon) << "11:59:59" << QDateTime();
        QTest::newRow("this second, begun")
            << QTime(12, 0, 0, 400) << on(0, noon) << "12:00:00" << QDateTime();
        QTest::newRow("now to the millisecond") << noon << on(0, noon) << "" << on(0, noon);
        QTest::newRow("tomorrow") << noon << on(1, beforeNoon) << "" << on(1, beforeNoon);
        QTest::newRow("proposed: next minute")
            << QTime(12, 0, 30) << QDateTime() << "" << on(0, QTime(12, 1));
        QTest::newRow("proposed at 23:59")
            << QTime(23, 59) << QDateTime() << "" << on(1, QTime(0, 0));
    }

    // OK on a refused time leaves the dialog open; the test then cancels it: nothing chosen.
    void handsBackATimeToCome()
    {
        QFETCH(QTime, now);
        QFETCH(QDateTime, entered);
        QFETCH(QString, refused);
        QFETCH(QDateTime, chosen);
        ScriptedMessageBoxes boxes;
        boxes.answerNext(MessageBoxes::Answer::Ok, refused.isEmpty() ? 0 : 1);
        bool stayedOpen = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<ScheduleDialog*>(QApplication::activeModalWidget());
            QVERIFY2(dialog, "the dialog did not open modally");
            if (entered.isValid()) {
                dialog->findChild<QTimeEdit*>()->setTime(entered.time());
                const bool tomorrow = entered.date() != Today;
                dialog->findChild<QRadioButton*>(tomorrow ? "ScheduleTomorrow" : "ScheduleToday")
                    ->click();
            }
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            stayedOpen = dialog->isVisible();
            if (stayedOpen)
                dialog->reject();
        });
        const auto answer = ScheduleDialog::ask(
            boxes, [&] { return on(0, now); }, nullptr);
        QCOMPARE(answer.value_or(QDateTime()), chosen);
        QCOMPARE(stayedOpen, !refused.isEmpty());
        const QString box = QStringLiteral("発信予約: 今日の %1 はもう過ぎています。\r\n"
                                           "これより後の時刻か「明日」を選んでください。");
        QCOMPARE(boxes.texts(), refused.isEmpty() ? QStringList() : QStringList{box.arg(refused)});
    }
};

QTEST_MAIN(TestScheduleDialog)
#include "tst_scheduledialog.moc"
