#include "SettingsControls.h"

#include "ModemSentences.h"

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

void fill(QComboBox* list, const QStringList& entries, int selected)
{
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(list->count() > 0 ? selected : -1);
}

} // namespace

SettingsControls::SettingsControls(const ReserveFormControls& controls,
                                   const PortMapping::Overrides& overrides)
    : m_controls(controls), m_overrides(overrides)
{
}

void SettingsControls::show(const Settings& settings)
{
    m_portChoices = {settings.portDevices, settings.voice};
    m_recordedPaces = settings.recordedPaces;
    select(m_controls.portList, settings.portIndex);
    select(m_controls.dialModeList, settings.dialModeIndex);
    m_controls.numberField->setText(settings.number);
    m_controls.conditionsField->setText(settings.conditionsCode);
    m_controls.purposeField->setText(settings.purposeCode);
    m_controls.dateField->setText(settings.date);
    m_controls.timeSlotField->setText(settings.timeSlot);
    fill(m_controls.memberList, settings.members, 0);
    fill(m_controls.facilityList, settings.facilities, 0);
}

Settings SettingsControls::read() const
{
    Settings settings;
    settings.portIndex = m_controls.portList->currentIndex();
    settings.portDevices = m_portChoices.devices;
    settings.voice = m_portChoices.voice;
    settings.recordedPaces = m_recordedPaces;
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

QStringList SettingsControls::registrationList(Kind kind) const
{
    return items(listOf(kind));
}

std::optional<QString> SettingsControls::selectedEntry(Kind kind) const
{
    const QComboBox* list = listOf(kind);
    if (list->currentIndex() < 0)
        return std::nullopt;
    return list->itemText(list->currentIndex());
}

void SettingsControls::replaceRegistrationList(Kind kind, const QStringList& entries)
{
    fill(listOf(kind), entries, -1);
}

bool SettingsControls::setPortChoices(const PortChoices& choices)
{
    const bool changed = !(choices == m_portChoices);
    m_portChoices = choices;
    return changed;
}

PortMapping::Device SettingsControls::chosenDevice() const
{
    return PortMapping::resolve(m_controls.portList->currentIndex(), m_portChoices.devices,
                                m_overrides);
}

void SettingsControls::showPortToolTips()
{
    QComboBox* list = m_controls.portList;
    for (int port = 0; port < list->count(); ++port) {
        const auto device = PortMapping::resolve(port, m_portChoices.devices, m_overrides);
        list->setItemData(port, ModemSentences::portToolTip(port, device), Qt::ToolTipRole);
    }
    list->setToolTip(ModemSentences::portToolTip(list->currentIndex(), chosenDevice()));
}

QComboBox* SettingsControls::listOf(Kind kind) const
{
    return kind == Kind::Member ? m_controls.memberList : m_controls.facilityList;
}
