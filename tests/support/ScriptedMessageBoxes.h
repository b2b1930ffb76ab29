#pragma once

#include "MessageBoxes.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Test double of the message-box seam: records every box and answers from a queue.
// A box nobody queued an answer for fails the running test.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString title;
        QString text;
        Buttons buttons;
    };

    void answerNext(Answer answer, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            m_answers.enqueue(answer);
    }
    Answer show(QWidget* parent, const QString& title, const QString& text,
                Buttons buttons) override;

    const QList<Shown>& shown() const { return m_shown; }
    // Each box shown as "title: text", or its title alone.
    QStringList texts() const;
    QStringList titles() const;
    int pendingAnswers() const { return int(m_answers.size()); }
    void reset();

private:
    QQueue<Answer> m_answers;
    QList<Shown> m_shown;
};
