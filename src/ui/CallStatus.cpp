#include "CallStatus.h"

#include "ModemSentences.h"

#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>

namespace {

using State = LineControl::State;

constexpr int SecondMs = 1000;
constexpr int EdgeMargin = 4; // pixels

// Rounded up, and never 0 while the wait still runs.
int secondsLeft(int remainingMs)
{
    return std::max(1, (remainingMs + SecondMs - 1) / SecondMs);
}

QString lineStateText(State state)
{
    switch (state) {
    case State::Idle:
        return QStringLiteral("待機中");
    case State::Hooking:
        return QStringLiteral("接続中…");
    case State::OffHook:
        return QStringLiteral("回線接続中");
    case State::Dialling:
        return QStringLiteral("ダイヤル中…");
    case State::Dialled:
        return QStringLiteral("通話中");
    case State::HangingUp:
        return QStringLiteral("切断中…");
    }
    return {};
}

} // namespace

CallStatus::CallStatus(LineControl& line, QStatusBar& bar, QObject* parent)
    : QObject(parent), m_line(line), m_activity(new QLabel(&bar)), m_nextStep(new QLabel(&bar)),
      m_lineState(new QLabel(&bar))
{
    m_activity->setObjectName(QStringLiteral("CallActivity"));
    m_activity->setAccessibleName(QStringLiteral("通話の経過"));
    // A long text must not widen the fixed-size window; it is cut at the state instead.
    m_activity->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_nextStep->setObjectName(QStringLiteral("NextStep"));
    m_nextStep->setAccessibleName(QStringLiteral("次の手順"));
    m_lineState->setObjectName(QStringLiteral("LineState"));
    m_lineState->setAccessibleName(QStringLiteral("回線の状態"));
    // Without a size grip nothing keeps the texts off the window's edges.
    for (QLabel* label : {m_activity, m_nextStep, m_lineState})
        label->setContentsMargins(EdgeMargin, 0, EdgeMargin, 0);
    bar.addWidget(m_activity, 1);
    bar.addPermanentWidget(m_nextStep);
    bar.addPermanentWidget(m_lineState);
    bar.setSizeGripEnabled(false);

    m_countdown.setSingleShot(true);
    m_countdown.setTimerType(Qt::PreciseTimer);
    connect(&m_countdown, &QTimer::timeout, this, &CallStatus::showCountdown);
    connect(&line, &LineControl::stateChanged, this, &CallStatus::showLineState);
    connect(&line, &LineControl::busyChanged, this, &CallStatus::forgetStepAfterOperation);
    connect(&line, &LineControl::waitStarted, this, &CallStatus::startWait);
    connect(&line, &LineControl::waitEnded, this, &CallStatus::endWait);
    connect(&line, &LineControl::commandAnswered, this, &CallStatus::showAnswer);
    connect(&line, &LineControl::pairPartStarted, this, &CallStatus::showPairPart);
    connect(&line, &LineControl::portOpenFailed, this, [this](const PortOpener::Failure& failure) {
        showActivity(ModemSentences::portOpenFailureBriefly(failure));
    });
    connect(&line, &LineControl::deviceFailed, this,
            [this] { showActivity(QStringLiteral("モデムとの通信が切れました")); });
    showLineState(line.state());
}

CallStatus::~CallStatus()
{
    // Also when the window goes away in the middle of a wait.
    setBusyCursor(false);
}

void CallStatus::nameStep(const QStringList& partNames)
{
    if (m_line.isBusy())
        return;
    m_stepParts = partNames;
    m_part = 0;
}

void CallStatus::showNextStep(const QString& caption)
{
    m_nextStep->setText(caption.isEmpty() ? QString() : QStringLiteral("次: ") + caption);
}

void CallStatus::showLineState(LineControl::State state)
{
    const QString text = lineStateText(state);
    m_lineState->setText(text);
    Q_EMIT lineStateShown(text);
}

void CallStatus::startWait(LineControl::Wait kind, int durationMs)
{
    m_waitKind = kind;
    m_waitMs = durationMs;
    m_waitClock.start();
    setBusyCursor(true);
    showCountdown();
}

void CallStatus::endWait()
{
    m_countdown.stop();
    setBusyCursor(false);
    showActivity(QString());
}

void CallStatus::showCountdown()
{
    if (m_waitKind == LineControl::Wait::Prompt) // as long as the service speaks: no count
        return showActivity(
            QStringLiteral("%1の前の案内が終わるのを待っています…").arg(stepName()));
    const int remainingMs = m_waitMs - int(m_waitClock.elapsed());
    const int seconds = secondsLeft(remainingMs);
    showActivity(waitText(seconds));
    // The next tick falls where the number shown goes down by one.
    if (seconds > 1)
        m_countdown.start(remainingMs - (seconds - 1) * SecondMs);
}

void CallStatus::showAnswer(bool ok, const QString& modemAnswer)
{
    const QString answer = ok                      ? QStringLiteral("OK")
                           : modemAnswer.isEmpty() ? QStringLiteral("応答がありません")
                                                   : QStringLiteral("モデムの応答: ") + modemAnswer;
    showActivity(QStringLiteral("%1（%2）").arg(phrases().done, answer));
}

void CallStatus::forgetStepAfterOperation(bool busy)
{
    if (busy)
        return;
    m_stepParts.clear();
    m_part = 0;
}

void CallStatus::showPairPart(int part)
{
    m_part = part;
}

void CallStatus::showActivity(const QString& text)
{
    m_activity->setText(text);
    Q_EMIT activityShown(text);
}

void CallStatus::setBusyCursor(bool shown)
{
    if (shown == m_busyCursor)
        return;
    m_busyCursor = shown;
    if (shown)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

QString CallStatus::stepName() const
{
    return m_part < m_stepParts.size() ? m_stepParts.at(m_part) : QStringLiteral("トーン");
}

CallStatus::Phrases CallStatus::phrases() const
{
    switch (m_line.state()) {
    case State::Hooking:
        return {QStringLiteral("回線に接続中"), QStringLiteral("回線に接続しました")};
    case State::Dialling:
        return {QStringLiteral("ダイヤル中"), QStringLiteral("ダイヤルしました")};
    case State::HangingUp:
        return {QStringLiteral("回線を切断中"), QStringLiteral("回線を切りました")};
    default:
        return {stepName() + QStringLiteral("を送信中"),
                stepName() + QStringLiteral("を送信しました")};
    }
}

QString CallStatus::waitText(int seconds) const
{
    if (m_waitKind == LineControl::Wait::Reply)
        return QStringLiteral("%1、モデムの応答待ち… %2秒").arg(phrases().doing).arg(seconds);
    if (m_line.state() == State::Dialling)
        return QStringLiteral("ダイヤル後の待機 %1秒…").arg(seconds);
    return QStringLiteral("%1の送信まで待機 %2秒…").arg(stepName()).arg(seconds);
}
