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
    connect(&line, &LineControl::voiceCommandRefused, this, &LineMessages::showVoiceCommandRefused,
            Qt::DirectConnection);
}

bool LineMessages::askPlainCall(LineControl::VoiceRefusal why)
{
    return m_boxes.show(m_boxParent, ModemSentences::voiceMode(),
                        ModemSentences::voiceRefusal(why) +
                            QStringLiteral("\r\n音声モードを使わずに続けますか？"),
                        MessageBoxes::Buttons::YesNo) == MessageBoxes::Answer::Yes;
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

void LineMessages::showVoiceCommandRefused(const QString& command)
{
    show(ModemSentences::voiceMode(),
         QStringLiteral("モデムが「%1」を受け付けませんでした（ERROR）。\r\n"
                        "音声モードの通話をやめ、回線を切りました。「ﾓﾃﾞﾑ」の「ポート設定」で"
                        "音声モードを外すと、これまでどおりに電話をかけられます。")
             .arg(command));
}

void LineMessages::show(const QString& title, const QString& text)
{
    m_boxes.show(m_boxParent, title, text, MessageBoxes::Buttons::Ok);
}
