#include "WindowFixture.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

WindowFixture::WindowFixture(PortOpener& opener, const QString& settingsToCopy,
                             const LineControl::Timing& timing)
    : m_opener(opener), m_timing(timing)
{
    if (!settingsToCopy.isEmpty() && !QFile::copy(settingsToCopy, settingsPath()))
        qFatal("cannot copy %s", qPrintable(settingsToCopy));
    restart();
}

WindowFixture::~WindowFixture() = default;

void WindowFixture::restart()
{
    m_window.reset(); // nothing of the previous run stays in memory
    m_line = std::make_unique<LineControl>(m_opener, m_timing);
    m_check = std::make_unique<ModemCheck>(m_opener, m_timing.replyTimeoutMs);
    m_window = std::make_unique<ReserveForm>(*m_line, *m_check, m_serialDevices, m_boxes,
                                             [this] { return settingsPath(); });
}

void WindowFixture::click(const QString& objectName)
{
    auto* button = control<QPushButton>(objectName);
    QVERIFY2(button->isEnabled(), qPrintable(objectName));
    button->click();
}

void WindowFixture::bringCallUp()
{
    click(QStringLiteral("Command1"));
    click(QStringLiteral("Command2"));
    QCOMPARE(m_line->state(), LineControl::State::Dialled);
}

void WindowFixture::showActive()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QString WindowFixture::focusedName()
{
    const QWidget* focused = QApplication::focusWidget();
    return focused ? focused->objectName() : QString();
}
