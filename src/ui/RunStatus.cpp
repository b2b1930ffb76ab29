#include "RunStatus.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

constexpr int ProgressWidth = 60; // pixels

} // namespace

RunStatus::RunStatus(const ReserveFormControls& controls, QStatusBar& bar, QObject* parent)
    : QObject(parent), m_controls(controls), m_text(new QLabel(&bar)),
      m_progress(new QProgressBar(&bar))
{
    m_text->setObjectName(QStringLiteral("RunState"));
    m_text->setAccessibleName(QStringLiteral("自動実行の状態"));
    m_progress->setObjectName(QStringLiteral("RunProgress"));
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(ProgressWidth);
    bar.addWidget(m_text);
    bar.addWidget(m_progress);
    m_text->hide();
    m_progress->hide();
}

void RunStatus::showStep(int number, int count, CallProcedure::Step step)
{
    m_text->setText(
        QStringLiteral("自動実行中: %1/%2 %3").arg(number).arg(count).arg(captionOf(step)));
    m_text->show();
    m_progress->setRange(0, count);
    m_progress->setValue(number - 1);
    m_progress->show();
}

void RunStatus::showEnd(AutoRun::End end, CallProcedure::Step next)
{
    m_progress->hide();
    const QString caption = captionOf(next);
    switch (end) {
    case AutoRun::End::Finished:
        m_text->setText(QStringLiteral("自動実行が終わりました。結果を聞いて次を選んでください"));
        return;
    case AutoRun::End::Stalled:
        m_text->setText(QStringLiteral("案内の終わりが聞き取れないので止めました。次は「%1」です")
                            .arg(caption));
        return;
    case AutoRun::End::ByUser:
    case AutoRun::End::Failed:
        break;
    }
    m_text->setText(QStringLiteral("自動実行を止めました。次は「%1」です").arg(caption));
}

void RunStatus::showCountdown(const QString& text)
{
    m_text->setText(text);
    m_text->setVisible(!text.isEmpty());
}

QString RunStatus::captionOf(CallProcedure::Step step) const
{
    return m_controls.button(step)->text();
}
