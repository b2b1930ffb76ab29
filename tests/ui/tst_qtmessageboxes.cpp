#include "QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaEnum>
#include <QTest>
#include <QTimer>

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;

Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(Buttons)

// The real boxes, answered from the keyboard: Return takes the first button, Escape the one
// that changes nothing (Cancel where there is one, else No, else OK).
class TestQtMessageBoxes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keysAnswer_data()
    {
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<Answer>("answer");
        const QStringList ok{"Ok"}, okCancel{"Cancel", "Ok"}, yesNo{"No", "Yes"},
            yesNoCancel{"Cancel", "No", "Yes"};
        QTest::newRow("ok, return") << Buttons::Ok << int(Qt::Key_Return) << ok << Answer::Ok;
        QTest::newRow("ok/cancel, return")
            << Buttons::OkCancel << int(Qt::Key_Return) << okCancel << Answer::Ok;
        QTest::newRow("ok/cancel, escape")
            << Buttons::OkCancel << int(Qt::Key_Escape) << okCancel << Answer::Cancel;
        QTest::newRow("yes/no, return")
            << Buttons::YesNo << int(Qt::Key_Return) << yesNo << Answer::Yes;
        QTest::newRow("yes/no, escape")
            << Buttons::YesNo << int(Qt::Key_Escape) << yesNo << Answer::No;
        QTest::newRow("yes/no/cancel, return")
            << Buttons::YesNoCancel << int(Qt::Key_Return) << yesNoCancel << Answer::Yes;
        QTest::newRow("yes/no/cancel, escape")
            << Buttons::YesNoCancel << int(Qt::Key_Escape) << yesNoCancel << Answer::Cancel;
    }

    void keysAnswer()
    {
        QFETCH(Buttons, buttons);
        QFETCH(int, key);
        QFETCH(QStringList, captions);
        QStringList seen;
        QStringList shownButtons;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen << box->windowTitle() << box->text() << QString::number(box->icon())
                 << QString::number(box->textFormat());
            const QMetaObject& meta = QMessageBox::staticMetaObject;
            const QMetaEnum names = meta.enumerator(meta.indexOfEnumerator("StandardButtons"));
            for (QAbstractButton* button : box->buttons())
                shownButtons << QString::fromLatin1(names.valueToKey(box->standardButton(button)));
            QTest::keyClick(box, Qt::Key(key));
        });
        QtMessageBoxes boxes;
        const Answer answer = boxes.show(nullptr, QStringLiteral("終了確認"),
                                         QStringLiteral("一行目\r\n二行目"), buttons);
        QTEST(answer, "answer");
        // Plain text without an icon; a CR LF starts a new line.
        QCOMPARE(seen, (QStringList{"終了確認", "一行目\n二行目", "0", "0"}));
        shownButtons.sort();
        QCOMPARE(shownButtons, captions);
    }
};

QTEST_MAIN(TestQtMessageBoxes)
#include "tst_qtmessageboxes.moc"
