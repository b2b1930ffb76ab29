#include "ScriptedMessageBoxes.h"

#include <QTest>

MessageBoxes::Answer ScriptedMessageBoxes::show(QWidget*, const QString& title, const QString& text,
                                                Buttons buttons)
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

QStringList ScriptedMessageBoxes::texts() const
{
    QStringList texts;
    for (const Shown& box : m_shown)
        texts << box.title + QStringLiteral(": ") + box.text;
    return texts;
}

QStringList ScriptedMessageBoxes::titles() const
{
    QStringList titles;
    for (const Shown& box : m_shown)
        titles << box.title;
    return titles;
}
