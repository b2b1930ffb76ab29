#include "ReserveForm.h"

#include "CallStatus.h"
#include "FieldSenders.h"
#include "FlowChartArrows.h"
#include "LineButtonStates.h"
#include "LineMessages.h"
#include "MessageBoxes.h"
#include "ModemCheck.h"
#include "ModemMenu.h"
#include "Parameter.h"
#include "PortMapping.h"
#include "SettingsFile.h"
#include "StepFocus.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

static void initIconResources()
{
    Q_INIT_RESOURCE(tarvik);
}

namespace {

const QStringList ServiceLines = {
    QStringLiteral("001 申込み日案内"),      QStringLiteral("002 抽選申込み"),
    QStringLiteral("003 抽選確認/取消し"),   QStringLiteral("004 抽選結果確認"),
    QStringLiteral("005 空き状況"),          QStringLiteral("006 空き申込み"),
    QStringLiteral("007 申込み確認/取消し"), QStringLiteral("008 天候による中止案内"),
};
constexpr int DefaultServiceIndex = 1; // "002 抽選申込み", at every start
constexpr int PulseIndex = 0;          // of the dialling modes "Puls", "Tone"

const QString LeaveTitle = QStringLiteral("終了確認");
const QString SaveQuestion = QStringLiteral("パラメータを保存しますか？");

} // namespace

ReserveForm::ReserveForm(LineControl& line, ModemCheck& check, const SerialDevices& serialDevices,
                         MessageBoxes& boxes, SettingsPath settingsPath, QWidget* parent)
    : QMainWindow(parent), m_line(line), m_check(check), m_serialDevices(serialDevices),
      m_boxes(boxes), m_settingsPath(std::move(settingsPath)), m_scale(logicalDpiX()),
      m_senders(std::make_unique<FieldSenders>(line, boxes, this))
{
    initIconResources();
    setObjectName(QStringLiteral("ReserveForm"));
    setWindowTitle(QStringLiteral("オルベンスポーツ施設予約"));
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/tarvik-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    buildPanel();
    buildMenus();
    buildStatusBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connectLine();
    connectSenders();
    trackEdits();
    startUp();
    // Last: it moves the focus only onto buttons the line's state has enabled already.
    m_stepFocus = std::make_unique<StepFocus>(m_ui, m_line, *m_senders, *m_status);
}

ReserveForm::~ReserveForm() = default;

bool ReserveForm::changedFlag() const
{
    return m_changedFlag;
}

void ReserveForm::setChangedFlag(bool changed)
{
    m_changedFlag = changed;
}

// ---- building -------------------------------------------------------------------------------

void ReserveForm::buildPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ReservePanel"));
    const QRect clientArea = m_scale.toPixels(QRect(0, 0, 7500, 6015));
    panel->setFixedSize(clientArea.size());
    setCentralWidget(panel);
    // Created first, so every control lies above the lines.
    auto* arrows = new FlowChartArrows(m_scale, panel);
    arrows->setGeometry(clientArea);
    m_ui = ReserveFormLayout::create(panel, m_scale);
}

void ReserveForm::buildMenus()
{
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    QAction* menuSave =
        fileMenu->addAction(QStringLiteral("保存(&S)"), this, &ReserveForm::saveFromMenu);
    menuSave->setObjectName(QStringLiteral("MenuSave"));
    QAction* menuExit =
        fileMenu->addAction(QStringLiteral("終了(&X)"), this, &ReserveForm::exitFromMenu);
    menuExit->setObjectName(QStringLiteral("MenuExit"));

    QMenu* registMenu = menuBar()->addMenu(QStringLiteral("登録(&R)"));
    registMenu->setObjectName(QStringLiteral("registMenu"));
    QAction* addMember = registMenu->addAction(
        QStringLiteral("ID番号(&I)"), this, [this] { openEditor(QStringLiteral("メンバー追加")); });
    addMember->setObjectName(QStringLiteral("AddMember"));
    QAction* addFacirity = registMenu->addAction(
        QStringLiteral("施設(&F)"), this, [this] { openEditor(QStringLiteral("施設追加")); });
    addFacirity->setObjectName(QStringLiteral("AddFacirity"));

    auto* modemMenu = new ModemMenu(
        *menuBar(),
        {m_line, m_check, m_serialDevices, m_boxes, m_settings, *m_ui.portList, *statusBar()},
        this);
    connect(modemMenu, &ModemMenu::portDevicesChanged, this, [this] {
        setChangedFlag(true);
        showPortToolTip(m_ui.portList->currentIndex());
    });
}

void ReserveForm::buildStatusBar()
{
    m_status = new CallStatus(m_line, *statusBar(), this);
    m_senders->setStepNamer(
        [status = m_status](const QStringList& partNames) { status->nameStep(partNames); });
}

// ---- start-up -------------------------------------------------------------------------------

void ReserveForm::startUp()
{
    m_ui.calendar->setSelectedDate(QDate::currentDate());
    fillFixedLists();
    m_settings.show(SettingsFile::load(m_settingsPath()));
    showPortToolTip(m_ui.portList->currentIndex());
    showLineState(m_line.state());
    m_ui.freeToneField->clear();
    // Last: loading the fields raised their change notifications.
    setChangedFlag(false);
}

// Before the settings are loaded: the stored indexes refer to these lists.
void ReserveForm::fillFixedLists()
{
    m_ui.portList->addItems(PortMapping::captions());
    m_ui.serviceList->addItems(ServiceLines);
    m_ui.serviceList->setCurrentIndex(DefaultServiceIndex);
    m_ui.dialModeList->addItems({QStringLiteral("Puls"), QStringLiteral("Tone")});
}

bool ReserveForm::saveSettings()
{
    QString reason;
    if (!SettingsFile::save(m_settingsPath(), m_settings.read(), &reason)) {
        m_boxes.show(this, QStringLiteral("保存できません"),
                     QStringLiteral("設定を保存できませんでした。\r\n") + reason,
                     MessageBoxes::Buttons::Ok);
        return false;
    }
    setChangedFlag(false);
    return true;
}

// ---- registration lists ---------------------------------------------------------------------

QStringList ReserveForm::registrationList(Kind kind) const
{
    return m_settings.registrationList(kind);
}

void ReserveForm::replaceRegistrationList(Kind kind, const QStringList& entries)
{
    m_settings.replaceRegistrationList(kind, entries);
    setChangedFlag(true);
}

void ReserveForm::openEditor(const QString& title)
{
    Parameter editor(*this, m_boxes, this);
    editor.setWindowTitle(title);
    editor.exec();
}

// ---- line -----------------------------------------------------------------------------------

void ReserveForm::connectLine()
{
    connect(m_ui.hookButton, &QPushButton::clicked, this, &ReserveForm::hook);
    connect(m_ui.dialButton, &QPushButton::clicked, this, &ReserveForm::dial);
    connect(m_ui.hookOffButton, &QPushButton::clicked, &m_line, &LineControl::hookOff);
    connect(&m_line, &LineControl::stateChanged, this, &ReserveForm::showLineState);
    new LineMessages(m_line, m_boxes, this);
    connect(m_ui.portList, &QComboBox::currentIndexChanged, this, &ReserveForm::showPortToolTip);
    connect(&m_check, &ModemCheck::runningChanged, this, [this] { showLineState(m_line.state()); });
}

void ReserveForm::showLineState(LineControl::State state)
{
    const LineButtonStates enabled = LineButtonStates::forState(state);
    // A running check holds the port: Hook could not open it.
    m_ui.hookButton->setEnabled(enabled.hook && !m_check.isRunning());
    m_ui.dialButton->setEnabled(enabled.dial);
    m_ui.hookOffButton->setEnabled(enabled.hookOff);
    enableFieldButtons(enabled.fields);
}

void ReserveForm::enableFieldButtons(bool enabled)
{
    for (QPushButton* key : m_ui.keyButtons)
        key->setEnabled(enabled);
    for (int point = 0; point < int(m_ui.yesButtons.size()); ++point) {
        m_ui.yesButtons[point]->setEnabled(enabled);
        m_ui.noButtons[point]->setEnabled(enabled);
    }
    for (QPushButton* step :
         {m_ui.serviceButton, m_ui.memberButton, m_ui.facilityButton, m_ui.conditionsButton,
          m_ui.dateButton, m_ui.timeSlotButton, m_ui.purposeButton, m_ui.nextReservationButton,
          m_ui.otherServiceButton})
        step->setEnabled(enabled);
}

void ReserveForm::hook()
{
    if (!m_check.isRunning())
        m_line.hook(m_ui.portList->currentIndex(),
                    m_settings.portDevice(m_ui.portList->currentIndex()));
}

void ReserveForm::dial()
{
    const QString number = m_ui.numberField->text();
    if (!m_senders->checkToneString(number))
        return;
    // Tone for "Tone" and also when no mode is selected.
    const auto mode = m_ui.dialModeList->currentIndex() == PulseIndex ? LineControl::DialMode::Pulse
                                                                      : LineControl::DialMode::Tone;
    m_line.dial(mode, number);
}

void ReserveForm::showPortToolTip(int comIndex)
{
    m_ui.portList->setToolTip(m_ui.portList->itemData(comIndex, Qt::ToolTipRole).toString());
}

// ---- field senders and edit tracking ---------------------------------------------------------

void ReserveForm::connectSenders()
{
    FieldSenders* senders = m_senders.get();
    const auto onClick = [this](QPushButton* button, auto send) {
        connect(button, &QPushButton::clicked, this, send);
    };
    for (int key = 0; key < int(m_ui.keyButtons.size()); ++key)
        onClick(m_ui.keyButtons[key], [senders, key] { senders->sendKey(key); });
    for (int point = 0; point < int(m_ui.yesButtons.size()); ++point) {
        onClick(m_ui.yesButtons[point], [senders] { senders->sendAnswer(true); });
        onClick(m_ui.noButtons[point], [senders] { senders->sendAnswer(false); });
    }
    onClick(m_ui.nextReservationButton, [senders] { senders->sendAnswer(true); });
    onClick(m_ui.otherServiceButton, [senders] { senders->sendAnswer(false); });
    onClick(m_ui.serviceButton,
            [this, senders] { senders->sendService(m_ui.serviceList->currentText()); });
    onClick(m_ui.memberButton,
            [this, senders] { senders->sendMember(m_settings.selectedEntry(Kind::Members)); });
    onClick(m_ui.facilityButton,
            [this, senders] { senders->sendFacility(m_settings.selectedEntry(Kind::Facilities)); });
    for (const auto& [button, field] : {std::pair(m_ui.conditionsButton, m_ui.conditionsField),
                                        std::pair(m_ui.dateButton, m_ui.dateField),
                                        std::pair(m_ui.purposeButton, m_ui.purposeField)}) {
        onClick(button, [senders, button = button, field = field] {
            senders->sendField(button->text(), field->text());
        });
    }
    onClick(m_ui.timeSlotButton,
            [this, senders] { senders->sendTimeSlot(m_ui.timeSlotField->text()); });
    onClick(m_ui.sendFreeToneButton,
            [this, senders] { senders->sendFreeString(m_ui.freeToneField->text()); });
}

void ReserveForm::trackEdits()
{
    const auto markChanged = [this] { setChangedFlag(true); };
    for (QLineEdit* field : {m_ui.numberField, m_ui.conditionsField, m_ui.purposeField,
                             m_ui.dateField, m_ui.timeSlotField})
        connect(field, &QLineEdit::textChanged, this, markChanged);
    // A new port or dialling mode would otherwise be lost without a question on leaving.
    for (QComboBox* choice : {m_ui.portList, m_ui.dialModeList})
        connect(choice, &QComboBox::currentIndexChanged, this, markChanged);
}

// ---- saving and leaving ---------------------------------------------------------------------

void ReserveForm::saveFromMenu()
{
    if (m_boxes.show(this, QStringLiteral("保存確認"), SaveQuestion,
                     MessageBoxes::Buttons::YesNo) == MessageBoxes::Answer::Yes)
        saveSettings();
}

void ReserveForm::exitFromMenu()
{
    const bool leave =
        changedFlag()
            ? askToSaveBeforeLeaving()
            : m_boxes.show(this, LeaveTitle, QStringLiteral("終了しますか？"),
                           MessageBoxes::Buttons::OkCancel) != MessageBoxes::Answer::Cancel;
    if (leave)
        endProgram();
}

void ReserveForm::closeEvent(QCloseEvent* event)
{
    if (changedFlag() && !askToSaveBeforeLeaving()) {
        event->ignore();
        return;
    }
    hangUpBeforeLeaving();
    event->accept();
}

void ReserveForm::leaveWithoutQuestions()
{
    endProgram();
}

bool ReserveForm::askToSaveBeforeLeaving()
{
    switch (m_boxes.show(this, LeaveTitle, SaveQuestion, MessageBoxes::Buttons::YesNoCancel)) {
    case MessageBoxes::Answer::Yes:
        // A failed save keeps the program open, so nothing typed is lost.
        return saveSettings();
    case MessageBoxes::Answer::No:
        return true;
    default:
        return false;
    }
}

void ReserveForm::endProgram()
{
    hangUpBeforeLeaving();
    Q_EMIT exitRequested();
}

void ReserveForm::hangUpBeforeLeaving()
{
    m_check.abort();
    m_line.hangUpForExit();
}
