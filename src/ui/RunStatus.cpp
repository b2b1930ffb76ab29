#include "RunStatus.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

constexpr int ProgressWidth = 40; // pixels
constexpr int LineMargin = 4;     // pixels above and below a line of text

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
    // The status bar is as tall as its tallest part, shown or not: no taller than a line.
    m_progress->setMaximumHeight(bar.fontMetrics().height() + LineMargin);
    bar.addWidget(m_text);
    bar.addWidget(m_progress);
    m_text->hide();
    m_progress->hide();
}

void RunStatus::showProgress(int done, int count, CallProcedure::Step next)
{
    m_text->setText(
        QStringLiteral("自動実行中: %1/%2 %3").arg(done).arg(count).arg(captionOf(next)));
    m_text->show();
    m_progress->setRange(0, count);
    m_progress->setValue(done);
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
