#include "ModemSentences.h"

namespace {

using Kind = PortOpener::Failure::Kind;

QString whyNotOpened(const PortOpener::Failure& failure)
{
    switch (failure.kind) {
    case Kind::NotFound:
        return QStringLiteral("見つかりません。モデムがつながっているか、"
                              "ポートの選択が正しいかを確かめてください。");
    case Kind::NoPermission:
        return QStringLiteral("開く権限がありません。ユーザーを dialout グループに加え"
                              "（sudo adduser $USER dialout）、ログインし直してください。");
    case Kind::Busy:
        return QStringLiteral("ほかのプログラムが使用中です。"
                              "そのプログラムを終了してからやり直してください。");
    case Kind::NoPortChosen:
    case Kind::Other:
        break;
    }
    return failure.detail.isEmpty() ? QString()
                                    : QStringLiteral("システムの応答: %1").arg(failure.detail);
}

QString sourceText(PortMapping::Source source, const QString& variable)
{
    switch (source) {
    case PortMapping::Source::Environment:
        return QStringLiteral("環境変数 %1 の指定。「ポート設定」の選択より優先します")
            .arg(variable);
    case PortMapping::Source::Settings:
        return QStringLiteral("「ポート設定」で選択。環境変数 %1 があればそちらが優先します")
            .arg(variable);
    case PortMapping::Source::Default:
        break;
    }
    return QStringLiteral("既定。「ポート設定」か環境変数 %1 で変更できます").arg(variable);
}

} // namespace

QString ModemSentences::noAnswer()
{
    return QStringLiteral("モデムから応答がありません");
}

QString ModemSentences::portNotOpened()
{
    return QStringLiteral("ポートを開けません");
}

QString ModemSentences::portOpenFailure(const PortOpener::Failure& failure)
{
    if (failure.kind == Kind::NoPortChosen)
        return QStringLiteral("ポートが選ばれていません。COM1〜COM4 のどれかを選んでください。");
    const QString headline =
        QStringLiteral("モデムのポート %1 を開けませんでした。").arg(failure.device);
    const QString why = whyNotOpened(failure);
    return why.isEmpty() ? headline : headline + QStringLiteral("\r\n") + why;
}

QString ModemSentences::portOpenFailureBriefly(const PortOpener::Failure& failure)
{
    if (failure.kind == Kind::NoPortChosen)
        return QStringLiteral("ポートが選ばれていません");
    return QStringLiteral("%1 を開けませんでした").arg(failure.device);
}

QString ModemSentences::deviceLost(const QString& devicePath, const QString& detail)
{
    QString text =
        QStringLiteral("%1 との通信が途切れました。モデムのケーブルと電源を確かめてください。")
            .arg(devicePath);
    if (!detail.isEmpty())
        text += QStringLiteral("（%1）").arg(detail);
    return text;
}

QString ModemSentences::voiceMode()
{
    return QStringLiteral("音声モード");
}

QString ModemSentences::voiceRefusal(VoiceCommands::Refusal why)
{
    switch (why) {
    case VoiceCommands::Refusal::NoVoiceMode:
        return QStringLiteral("このモデムは音声モード（AT+FCLASS=8）を受け付けませんでした。");
    case VoiceCommands::Refusal::NoUsableFormat:
        return QStringLiteral("このモデムの音声の形式は、どれもパソコンで再生できません"
                              "（8 ビット PCM・μ-law・A-law のどれもありません）。");
    case VoiceCommands::Refusal::NoTelephoneLine:
        break;
    }
    return QStringLiteral("このモデムには、電話回線だけをつなぐ設定（AT+VLS の \"T\"）が"
                          "ありません。");
}

QString ModemSentences::portToolTip(int comIndex, const PortMapping::Device& device)
{
    if (device.path.isEmpty())
        return {};
    return QStringLiteral("%1 は %2 につながります（%3）")
        .arg(PortMapping::caption(comIndex), device.path,
             sourceText(device.source, PortMapping::environmentName(comIndex)));
}
