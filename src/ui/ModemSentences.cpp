#include "ModemSentences.h"

QString ModemSentences::noAnswer()
{
    return QStringLiteral("モデムから応答がありません");
}

QString ModemSentences::portNotOpened()
{
    return QStringLiteral("ポートを開けません");
}

QString ModemSentences::portOpenFailure(const QString& deviceName, const QString& reason)
{
    return QStringLiteral("モデムのポート %1 を開けませんでした。\r\n%2").arg(deviceName, reason);
}

QString ModemSentences::deviceLost(const QString& deviceName, const QString& detail)
{
    QString text =
        QStringLiteral("%1 との通信が途切れました。モデムのケーブルと電源を確かめてください。")
            .arg(deviceName);
    if (!detail.isEmpty())
        text += QStringLiteral("（%1）").arg(detail);
    return text;
}
