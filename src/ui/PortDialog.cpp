#include "PortDialog.h"

#include "ModemSentences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QStringList TableColumns = {QStringLiteral("デバイス"), QStringLiteral("説明"),
                                  QStringLiteral("製造元"), QStringLiteral("USB ID")};

QString chooserText(const SerialDevices::Device& device)
{
    return device.description.isEmpty()
               ? device.path
               : QStringLiteral("%1（%2）").arg(device.path, device.description);
}

bool isListed(const QList<SerialDevices::Device>& listed, const QString& path)
{
    return std::any_of(listed.begin(), listed.end(), [&path](const SerialDevices::Device& device) {
        return device.path == path;
    });
}

} // namespace

PortDialog::PortDialog(const SerialDevices& devices, const PortChoices& chosen,
                       const PortMapping::Overrides& overrides, QWidget* parent)
    : QDialog(parent), m_devices(devices)
{
    setObjectName(QStringLiteral("PortDialog"));
    setWindowTitle(QStringLiteral("ポート設定"));
    buildLayout(overrides);
    relist(chosen.devices);
    m_voice->setChecked(chosen.voice);
}

PortChoices PortDialog::choices() const
{
    return {chosenDevices(), m_voice->isChecked()};
}

PortDialog::PortDevices PortDialog::chosenDevices() const
{
    PortDevices devices;
    for (int port = 0; port < int(devices.size()); ++port)
        devices[port] = PortMapping::storedChoice(port, m_choosers[port]->currentData().toString());
    return devices;
}

void PortDialog::buildLayout(const PortMapping::Overrides& overrides)
{
    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel(this);
    m_table = new QTableWidget(0, int(TableColumns.size()), this);
    m_table->setObjectName(QStringLiteral("DeviceTable"));
    m_table->setHorizontalHeaderLabels(TableColumns);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_heading->setBuddy(m_table);
    layout->addWidget(m_heading);
    layout->addWidget(m_table);

    auto* form = new QFormLayout;
    const QStringList captions = PortMapping::captions();
    for (int port = 0; port < int(m_choosers.size()); ++port) {
        m_choosers[port] = new QComboBox(this);
        m_choosers[port]->setObjectName(QStringLiteral("PortChoice%1").arg(port + 1));
        form->addRow(captions[port], m_choosers[port]);
        // The variable wins over any choice made here; say so where the choice is made.
        const PortMapping::Device device = PortMapping::resolve(port, {}, overrides);
        if (device.source == PortMapping::Source::Environment)
            form->addRow(QString(), new QLabel(ModemSentences::portToolTip(port, device), this));
    }
    layout->addLayout(form);
    m_voice = new QCheckBox(QStringLiteral("音声モード（通話をパソコンで聞く）"), this);
    m_voice->setObjectName(QStringLiteral("VoiceMode"));
    m_voice->setToolTip(QStringLiteral("選んだポートのモデムで音声モード（クラス 8）を使い、"
                                       "サービスの案内をパソコンのスピーカーで聞きます。"
                                       "使えるかどうかは「接続確認」でわかります。"));
    layout->addWidget(m_voice);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    QPushButton* refresh = buttons->addButton(QStringLiteral("更新"), QDialogButtonBox::ResetRole);
    refresh->setObjectName(QStringLiteral("RefreshButton"));
    connect(refresh, &QPushButton::clicked, this, [this] { relist(chosenDevices()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 420);
}

void PortDialog::relist(const PortDevices& chosen)
{
    m_listed = m_devices.list();
    fillTable();
    for (int port = 0; port < int(m_choosers.size()); ++port)
        fillChooser(port, chosen[port]);
}

void PortDialog::fillTable()
{
    m_heading->setText(m_listed.isEmpty()
                           ? QStringLiteral("シリアルデバイスが見つかりません。モデムをつないでから"
                                            "「更新」を押してください。")
                           : QStringLiteral("このコンピューターのシリアルデバイス(&D):"));
    m_table->setRowCount(int(m_listed.size()));
    for (int row = 0; row < int(m_listed.size()); ++row) {
        const SerialDevices::Device& device = m_listed[row];
        const QStringList cells = {device.path, device.description, device.manufacturer,
                                   device.usbId};
        for (int column = 0; column < int(cells.size()); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    m_table->resizeColumnsToContents();
}

// The default first; a kept device that is not plugged in now stays choosable, so that OK
// never drops it unasked.
void PortDialog::fillChooser(int port, const QString& chosen)
{
    QComboBox* chooser = m_choosers[port];
    chooser->clear();
    chooser->addItem(QStringLiteral("既定（%1）").arg(PortMapping::defaultDevice(port)), QString());
    for (const SerialDevices::Device& device : std::as_const(m_listed))
        chooser->addItem(chooserText(device), device.path);
    if (!chosen.isEmpty() && !isListed(m_listed, chosen))
        chooser->addItem(QStringLiteral("%1（見つかりません）").arg(chosen), chosen);
    chooser->setCurrentIndex(std::max(0, chooser->findData(chosen)));
}
