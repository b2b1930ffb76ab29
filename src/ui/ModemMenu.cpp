#include "ModemMenu.h"

#include "MessageBoxes.h"
#include "ModemCheck.h"
#include "ModemCheckReport.h"
#include "PortDialog.h"

#include <QMenuBar>
#include <QPointer>

ModemMenu::ModemMenu(Host& host, ModemCheck& check, const SerialDevices& devices,
                     MessageBoxes& boxes, QWidget* window)
    : m_host(host), m_check(check), m_devices(devices), m_boxes(boxes), m_window(window),
      m_portSettings(QStringLiteral("ポート設定(&P)..."), window),
      m_modemCheck(QStringLiteral("接続確認(&C)"), window)
{
    m_portSettings.setObjectName(QStringLiteral("MenuPortSettings"));
    m_modemCheck.setObjectName(QStringLiteral("MenuModemCheck"));
    connect(&m_portSettings, &QAction::triggered, this, &ModemMenu::openPortDialog);
    connect(&m_modemCheck, &QAction::triggered, this, &ModemMenu::checkModem);
}

void ModemMenu::addTo(QMenuBar& menuBar)
{
    QMenu* menu = menuBar.addMenu(QStringLiteral("ﾓﾃﾞﾑ(&M)"));
    menu->setObjectName(QStringLiteral("modemMenu"));
    menu->addAction(&m_portSettings);
    menu->addAction(&m_modemCheck);
}

void ModemMenu::setPortFree(bool free)
{
    m_portSettings.setEnabled(free);
    m_modemCheck.setEnabled(free);
}

void ModemMenu::openPortDialog()
{
    PortDialog dialog(m_devices, m_host.portChoices(), m_host.portOverrides(), m_window);
    if (dialog.exec() == QDialog::Accepted)
        m_host.choosePorts(dialog.choices());
}

void ModemMenu::checkModem()
{
    if (!m_modemCheck.isEnabled())
        return;
    const QString caption = m_host.chosenPortCaption();
    m_host.showProgress(QStringLiteral("%1 のモデムを確認しています…").arg(caption));
    const QPointer<ModemMenu> self(this);
    const auto result = m_check.run(m_host.chosenDevicePath());
    if (!self)
        return;
    m_host.showProgress({});
    if (result)
        m_boxes.show(m_window, ModemCheckReport::title(), ModemCheckReport::text(caption, *result),
                     MessageBoxes::Buttons::Ok);
}
