#include "WindowFixture.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

LineControl::Timing WindowFixture::shortTiming()
{
    LineControl::Timing timing;
    timing.replyTimeoutMs = 300;
    timing.dialPauseMs = 20;
    timing.pairPauseMs = 20;
    timing.exitReplyTimeoutMs = 200;
    return timing;
}

WindowFixture::WindowFixture(PortOpener& opener, const QString& settingsToCopy,
                             const LineControl::Timing& timing,
                             const PortMapping::Overrides& overrides)
    : m_opener(opener), m_timing(timing), m_overrides(overrides),
      m_store(
          [this] { return settingsPath(); },
          [this](AtomicFile::Step step) { return !m_beforeSaveStep || m_beforeSaveStep(step); }),
      m_voice(
          [this] {
              auto output = std::make_unique<RecordingAudioOutput>(m_soundDevice);
              m_audio = output.get();
              return output;
          },
          PromptTimings())
{
    if (!settingsToCopy.isEmpty() && !QFile::copy(settingsToCopy, settingsPath()))
        qFatal("cannot copy %s", qPrintable(settingsToCopy));
    restart();
}

WindowFixture::~WindowFixture() = default;

void WindowFixture::restart()
{
    m_window.reset(); // nothing of the previous run stays in memory
    m_line = std::make_unique<LineControl>(m_opener, m_voice, m_timing);
    m_check = std::make_unique<ModemCheck>(m_opener, m_timing.replyTimeoutMs);
    m_window = std::make_unique<ReserveForm>(*m_line, *m_check, m_serialDevices, m_boxes, m_store,
                                             m_overrides, m_runStallMs);
    m_ui = ReserveFormLayout::find(m_window.get());
}

void WindowFixture::click(Step step)
{
    click(m_ui.button(step));
}

void WindowFixture::click(QPushButton* button)
{
    QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    button->click();
}

void WindowFixture::bringCallUp()
{
    click(Step::Hook);
    click(Step::Dial);
    QCOMPARE(m_line->state(), LineControl::State::Dialled);
}

void WindowFixture::showActive()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QWidget* WindowFixture::focused()
{
    return QApplication::focusWidget();
}
