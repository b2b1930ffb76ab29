#include "ScriptedMessageBoxes.h"

#include <QTest>

MessageBoxes::Answer ScriptedMessageBoxes::show(QWidget*, const QString& title,
                                                const QString& text, Buttons buttons)
{
    m_shown.append({title, text, buttons});
    if (m_answers.isEmpty()) {
        const QByteArray what = (title + QStringLiteral(": ") + text).toUtf8();
        QTest::qFail(("unexpected message box " + what).constData(), __FILE__, __LINE__);
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    return m_answers.dequeue();
}

void ScriptedMessageBoxes::reset()
{
    m_answers.clear();
    m_shown.clear();
}
