#include "VoiceStatus.h"

#include "VoiceReceiver.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

namespace {

// The meter shows the line from this level up to full scale.
constexpr double QuietestDb = -60.0;
constexpr int MeterWidth = 32; // pixels
constexpr int LineMargin = 4;  // pixels above and below a line of text

} // namespace

VoiceStatus::VoiceStatus(LineControl& line, VoiceReceiver& voice, QStatusBar& bar, QObject* parent)
    : QObject(parent), m_prompt(new QLabel(&bar)), m_level(new QProgressBar(&bar)),
      m_mute(new QToolButton(&bar)), m_noSound(new QLabel(QStringLiteral("音声出力なし"), &bar))
{
    m_prompt->setObjectName(QStringLiteral("PromptState"));
    m_prompt->setAccessibleName(QStringLiteral("案内の状態"));
    m_level->setObjectName(QStringLiteral("VoiceLevel"));
    m_level->setAccessibleName(QStringLiteral("回線の音量"));
    m_level->setRange(0, 100);
    m_level->setTextVisible(false);
    m_level->setFixedWidth(MeterWidth);
    m_mute->setObjectName(QStringLiteral("MuteButton"));
    m_mute->setText(QStringLiteral("消音"));
    m_mute->setToolTip(QStringLiteral("パソコンのスピーカーから通話の音を出さない"));
    m_mute->setCheckable(true);
    m_noSound->setObjectName(QStringLiteral("NoSoundDevice"));
    m_mute->setAutoRaise(true);
    for (QWidget* part : std::initializer_list<QWidget*>{m_prompt, m_level, m_mute, m_noSound}) {
        // The status bar is as tall as its tallest part, shown or not: no taller than a line.
        part->setMaximumHeight(bar.fontMetrics().height() + LineMargin);
        bar.addPermanentWidget(part);
        part->hide();
    }
    connect(m_mute, &QToolButton::toggled, &voice, &VoiceReceiver::setMuted);
    connect(&voice, &VoiceReceiver::receiving, this, &VoiceStatus::showReceiving);
    connect(&voice, &VoiceReceiver::levelChanged, this, &VoiceStatus::showLevel);
    connect(&voice, &VoiceReceiver::promptStarted, this,
            [this] { showPrompt(QStringLiteral("案内中…")); });
    connect(&voice, &VoiceReceiver::promptEnded, this,
            [this] { showPrompt(QStringLiteral("入力待ち")); });
    connect(&voice, &VoiceReceiver::promptTooLong, this,
            [this] { showPrompt(QStringLiteral("案内が長く続いています")); });
    connect(&line, &LineControl::stateChanged, this, &VoiceStatus::followLine);
}

void VoiceStatus::showReceiving(bool playing)
{
    m_level->show();
    m_mute->show();
    m_noSound->setVisible(!playing);
}

void VoiceStatus::showLevel(double dbfs)
{
    const double share = (std::clamp(dbfs, QuietestDb, 0.0) - QuietestDb) / -QuietestDb;
    m_level->setValue(int(share * 100));
}

void VoiceStatus::followLine(LineControl::State state)
{
    if (state != LineControl::State::Idle)
        return;
    for (QWidget* part : std::initializer_list<QWidget*>{m_prompt, m_level, m_mute, m_noSound})
        part->hide();
    m_prompt->clear();
    m_level->setValue(0);
}

void VoiceStatus::showPrompt(const QString& text)
{
    m_prompt->setText(text);
    m_prompt->show();
}
