#include "ModemMenu.h"

#include "LineControl.h"
#include "MessageBoxes.h"
#include "ModemCheck.h"
#include "ModemCheckReport.h"
#include "PortDialog.h"
#include "PortMapping.h"
#include "SettingsControls.h"

#include <QComboBox>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>

ModemMenu::ModemMenu(QMenuBar& menuBar, const Parts& parts, QWidget* window)
    : QObject(window), m_parts(parts), m_window(window)
{
    QMenu* modemMenu = menuBar.addMenu(QStringLiteral("ﾓﾃﾞﾑ(&M)"));
    modemMenu->setObjectName(QStringLiteral("modemMenu"));
    m_portSettings =
        modemMenu->addAction(QStringLiteral("ポート設定(&P)..."), this, &ModemMenu::openPortDialog);
    m_portSettings->setObjectName(QStringLiteral("MenuPortSettings"));
    m_modemCheck =
        modemMenu->addAction(QStringLiteral("接続確認(&C)"), this, &ModemMenu::checkModem);
    m_modemCheck->setObjectName(QStringLiteral("MenuModemCheck"));
    connect(&parts.line, &LineControl::stateChanged, this, &ModemMenu::enableWhilePortFree);
    connect(&parts.check, &ModemCheck::runningChanged, this, &ModemMenu::enableWhilePortFree);
    enableWhilePortFree();
}

void ModemMenu::enableWhilePortFree()
{
    const bool portFree =
        m_parts.line.state() == LineControl::State::Idle && !m_parts.check.isRunning();
    m_portSettings->setEnabled(portFree);
    m_modemCheck->setEnabled(portFree);
}

void ModemMenu::openPortDialog()
{
    PortDialog dialog(m_parts.serialDevices, m_parts.settings.portDevices(), m_window);
    if (dialog.exec() == QDialog::Accepted && m_parts.settings.setPortDevices(dialog.choices()))
        Q_EMIT portDevicesChanged();
}

void ModemMenu::checkModem()
{
    if (m_parts.line.state() != LineControl::State::Idle)
        return;
    const int comIndex = m_parts.portList.currentIndex();
    const QString caption = PortMapping::captions().value(comIndex);
    m_parts.statusBar.showMessage(QStringLiteral("%1 のモデムを確認しています…").arg(caption));
    const QPointer<ModemMenu> self(this);
    const auto result = m_parts.check.run(comIndex, m_parts.settings.portDevice(comIndex));
    if (!self)
        return;
    m_parts.statusBar.clearMessage();
    if (result)
        m_parts.boxes.show(m_window, ModemCheckReport::title(),
                           ModemCheckReport::text(caption, *result), MessageBoxes::Buttons::Ok);
}
