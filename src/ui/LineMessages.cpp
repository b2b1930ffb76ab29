#include "LineMessages.h"

#include "LineControl.h"
#include "MessageBoxes.h"
#include "ModemSentences.h"

#include <QWidget>

LineMessages::LineMessages(LineControl& line, MessageBoxes& boxes, QWidget* boxParent)
    : m_boxes(boxes), m_boxParent(boxParent)
{
    // Direct: the operation that timed out carries on only once the box is closed.
    connect(&line, &LineControl::replyTimedOut, this, &LineMessages::showReplyTimeout,
            Qt::DirectConnection);
    connect(&line, &LineControl::portOpenFailed, this, &LineMessages::showPortOpenFailure,
            Qt::DirectConnection);
    connect(&line, &LineControl::deviceFailed, this, &LineMessages::showDeviceFailure,
            Qt::DirectConnection);
}

void LineMessages::showReplyTimeout(const QString& modemAnswer)
{
    QString text = QStringLiteral("モデムがつながっていないか、電源が入っていないかも知れません\r\n"
                                  "確認したらプログラムを再起動してください");
    if (!modemAnswer.isEmpty())
        text += QStringLiteral("\r\nモデムの応答: ") + modemAnswer;
    show(ModemSentences::noAnswer(), text);
}

void LineMessages::showPortOpenFailure(const PortOpener::Failure& failure)
{
    show(ModemSentences::portNotOpened(), ModemSentences::portOpenFailure(failure));
}

// Names the port that was opened, whatever the port list shows now.
void LineMessages::showDeviceFailure(const QString& devicePath, const QString& detail)
{
    show(QStringLiteral("モデムとの通信が切れました"),
         ModemSentences::deviceLost(devicePath, detail) +
             QStringLiteral(
                 "\r\n回線を切りました。モデムを確かめてから「Hook」からやり直してください。"));
}

void LineMessages::show(const QString& title, const QString& text)
{
    m_boxes.show(m_boxParent, title, text, MessageBoxes::Buttons::Ok);
}
