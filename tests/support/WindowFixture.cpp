#include "WindowFixture.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

WindowFixture::WindowFixture(PortOpener& opener, const QString& settingsToCopy) : m_opener(opener)
{
    if (!settingsToCopy.isEmpty() &&
        !QFile::copy(settingsToCopy, m_folder.filePath(QStringLiteral("Tarvik.ini"))))
        qFatal("cannot copy %s", qPrintable(settingsToCopy));
    if (!QDir::setCurrent(m_folder.path()))
        qFatal("cannot enter %s", qPrintable(m_folder.path()));
    restart();
}

WindowFixture::~WindowFixture()
{
    m_window.reset();
    QDir::setCurrent(m_startDir);
}

void WindowFixture::restart()
{
    m_window.reset(); // nothing of the previous run stays in memory
    m_window = std::make_unique<ReserveForm>(m_boxes, m_opener);
    m_window->lineControl().setTiming(shortTiming);
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
    QCOMPARE(m_window->lineControl().state(), LineControl::State::Dialled);
}
