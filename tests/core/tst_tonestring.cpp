#include "ToneString.h"

#include <QTest>

// What may go onto the line: a character the modem takes as a dial modifier (",", "W", "P",
// "!", "@"), a tone the booking service has no meaning for (A-D) or one it would never hear
// (a blank, a full-width digit) must not pass.
class TestToneString : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void alphabets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("tone");
        QTest::addColumn<bool>("digits");
        QTest::newRow("empty") << "" << true << true;
        QTest::newRow("all digits") << "0123456789" << true << true;
        for (const char* sign : {"*", "#", "-"})
            QTest::addRow("%s", sign) << sign << true << false;
        for (const QChar c : QStringLiteral("ABCDabcd,WwPp!@ \t+/:."))
            QTest::addRow("U+%04X", c.unicode()) << QString(c) << false << false;
        for (char16_t c = u'０'; c <= u'９'; ++c)
            QTest::addRow("full-width U+%04X", unsigned(c)) << QString(QChar(c)) << false << false;
        QTest::newRow("letter among digits") << "12A34" << false << false;
        QTest::newRow("sign among digits") << "12*34" << true << false;
    }

    void alphabets()
    {
        QFETCH(QString, text);
        QTEST(ToneString::isToneString(text), "tone");
        QTEST(ToneString::isDigits(text), "digits");
    }
};

QTEST_APPLESS_MAIN(TestToneString)
#include "tst_tonestring.moc"
