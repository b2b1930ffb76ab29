#include "SettingsControls.h"

#include "PortMapping.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

QStringList items(const QComboBox* list)
{
    QStringList all;
    for (int i = 0; i < list->count(); ++i)
        all << list->itemText(i);
    return all;
}

void select(QComboBox* list, int index)
{
    list->setCurrentIndex(index < list->count() ? index : -1);
}

void fill(QComboBox* list, const QStringList& entries)
{
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(list->count() > 0 ? 0 : -1);
}

} // namespace

SettingsControls::SettingsControls(const ReserveFormControls& controls) : m_controls(controls) {}

void SettingsControls::show(const Settings& settings) const
{
    setPortDevices(settings.portDevices);
    select(m_controls.portList, settings.portIndex);
    select(m_controls.dialModeList, settings.dialModeIndex);
    m_controls.numberField->setText(settings.number);
    m_controls.conditionsField->setText(settings.conditionsCode);
    m_controls.purposeField->setText(settings.purposeCode);
    m_controls.dateField->setText(settings.date);
    m_controls.timeSlotField->setText(settings.timeSlot);
    fill(m_controls.memberList, settings.members);
    fill(m_controls.facilityList, settings.facilities);
}

Settings SettingsControls::read() const
{
    Settings settings;
    settings.portIndex = m_controls.portList->currentIndex();
    settings.portDevices = portDevices();
    settings.dialModeIndex = m_controls.dialModeList->currentIndex();
    settings.number = m_controls.numberField->text();
    settings.conditionsCode = m_controls.conditionsField->text();
    settings.purposeCode = m_controls.purposeField->text();
    settings.date = m_controls.dateField->text();
    settings.timeSlot = m_controls.timeSlotField->text();
    settings.members = items(m_controls.memberList);
    settings.facilities = items(m_controls.facilityList);
    return settings;
}

QStringList SettingsControls::registrationList(RegistrationLists::Kind kind) const
{
    return items(listOf(kind));
}

std::optional<QString> SettingsControls::selectedEntry(RegistrationLists::Kind kind) const
{
    const QComboBox* list = listOf(kind);
    if (list->currentIndex() < 0)
        return std::nullopt;
    return list->itemText(list->currentIndex());
}

void SettingsControls::replaceRegistrationList(RegistrationLists::Kind kind,
                                               const QStringList& entries) const
{
    QComboBox* list = listOf(kind);
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(-1);
}

QComboBox* SettingsControls::listOf(RegistrationLists::Kind kind) const
{
    return kind == RegistrationLists::Kind::Members ? m_controls.memberList
                                                    : m_controls.facilityList;
}

SettingsControls::PortDevices SettingsControls::portDevices() const
{
    PortDevices devices;
    for (int port = 0; port < int(devices.size()); ++port)
        devices[port] = portDevice(port);
    return devices;
}

QString SettingsControls::portDevice(int comIndex) const
{
    return m_controls.portList->itemData(comIndex).toString();
}

bool SettingsControls::setPortDevices(const PortDevices& devices) const
{
    bool changed = false;
    for (int port = 0; port < int(devices.size()); ++port) {
        const QString device = PortMapping::storedChoice(port, devices[port]);
        changed = changed || device != portDevice(port);
        m_controls.portList->setItemData(port, device);
        m_controls.portList->setItemData(port, PortMapping::toolTipFor(port, device),
                                         Qt::ToolTipRole);
    }
    return changed;
}
