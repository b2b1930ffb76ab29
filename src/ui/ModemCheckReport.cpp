#include "ModemCheckReport.h"

#include "ModemSentences.h"

namespace {

using Outcome = ModemCheck::Outcome;
using Status = ModemCheck::Query::Status;

const QString LineBreak = QStringLiteral("\r\n");
// Whatever a modem streams, the box shows no more of it than this.
constexpr int ExcerptLength = 40;

QString portLine(const QString& portCaption, const QString& devicePath)
{
    if (portCaption.isEmpty())
        return {};
    return QStringLiteral("ポート: %1（%2）").arg(portCaption, devicePath);
}

QString excerpt(const QStringList& lines)
{
    const QString all = lines.join(QStringLiteral(" / "));
    return all.size() > ExcerptLength ? all.left(ExcerptLength) + QStringLiteral("…") : all;
}

QString queryLine(const QString& label, const ModemCheck::Query& query)
{
    QString answer;
    switch (query.status) {
    case Status::Answered:
        answer = query.lines.isEmpty() ? QStringLiteral("（なし）")
                                       : query.lines.join(QStringLiteral(" / "));
        break;
    case Status::NotSupported:
        answer = QStringLiteral("対応していません");
        break;
    case Status::NoAnswer:
        answer = QStringLiteral("応答がありません");
        break;
    }
    return QStringLiteral("%1: %2").arg(label, answer);
}

// Whether Hook can take the call in voice mode, told before the user turns it on.
QString voiceLine(const ModemCheck::Result& result)
{
    if (result.classes.status != Status::Answered)
        return {};
    if (!result.voice.asked)
        return QStringLiteral("音声（クラス 8）は一覧にありません。音声モードは使えませんが、"
                              "トーンの送信（ATDT…;）は多くのデータモデムでもできるので、"
                              "使えることがあります。");
    if (!result.voice.answered)
        return QStringLiteral(
            "音声モード: 確かめられませんでした（AT+FCLASS=8 に応答がありません）");
    if (const auto refusal = result.voice.refusal) {
        QString why = ModemSentences::voiceRefusal(*refusal);
        if (*refusal == VoiceCommands::Refusal::NoUsableFormat &&
            !result.voice.offer.methodNames.isEmpty())
            why += QStringLiteral("（このモデムの形式: %1）")
                       .arg(result.voice.offer.methodNames.join(QStringLiteral("、")));
        return QStringLiteral("音声モード: 使えません。") + why;
    }
    const VoiceFormat& format = *result.voice.offer.format;
    return QStringLiteral("音声モード: 使えます（音声の形式: %1、%2 Hz）")
        .arg(format.modemName)
        .arg(format.sampleRate);
}

QStringList answeredLines(const ModemCheck::Result& result)
{
    return {QStringLiteral("モデムが応答しました。"),
            queryLine(QStringLiteral("識別情報（ATI）"), result.identification),
            queryLine(QStringLiteral("サービスクラス（AT+FCLASS=?）"), result.classes),
            voiceLine(result)};
}

QStringList noAnswerLines(const ModemCheck::Result& result)
{
    return {ModemSentences::noAnswer(),
            QStringLiteral("次のことを確かめてください。\r\n"
                           "・モデムの電源が入っているか\r\n"
                           "・ケーブルがつながっているか\r\n"
                           "・ポートの選択が正しいか（ﾓﾃﾞﾑ → ポート設定）\r\n"
                           "・ほかのプログラム（ModemManager など）がポートを使っていないか\r\n"
                           "詳しくは README の「困ったときは」の表をご覧ください。"),
            result.received.isEmpty()
                ? QString()
                : QStringLiteral("受信した内容: ") + excerpt(result.received)};
}

QStringList outcomeLines(const ModemCheck::Result& result)
{
    switch (result.outcome) {
    case Outcome::Answered:
        return answeredLines(result);
    case Outcome::NoAnswer:
        return noAnswerLines(result);
    case Outcome::PortNotOpened:
        return {ModemSentences::portNotOpened(),
                ModemSentences::portOpenFailure(result.openFailure)};
    case Outcome::DeviceLost:
        break;
    }
    return {ModemSentences::deviceLost(result.devicePath, result.lostDetail),
            QStringLiteral("ポートを閉じました。")};
}

} // namespace

QString ModemCheckReport::title()
{
    return QStringLiteral("接続確認");
}

QString ModemCheckReport::text(const QString& portCaption, const ModemCheck::Result& result)
{
    QStringList lines =
        QStringList{portLine(portCaption, result.devicePath)} + outcomeLines(result);
    lines.removeAll(QString());
    return lines.join(LineBreak);
}
