#include "ReserveForm.h"

#include "FlowChartArrows.h"
#include "LineButtonStates.h"
#include "MessageBoxes.h"
#include "ModemCheck.h"
#include "Parameter.h"
#include "SettingsStore.h"

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
                         MessageBoxes& boxes, const SettingsStore& store,
                         const PortMapping::Overrides& overrides, int runStallMs, QWidget* parent)
    : QMainWindow(parent), m_line(line), m_check(check), m_boxes(boxes), m_store(store),
      m_overrides(overrides), m_scale(logicalDpiX()),
      m_ui(ReserveFormLayout::create(buildPanel(), m_scale)),
      m_arrows(new FlowChartArrows(m_ui, m_scale, centralWidget())), m_settings(m_ui, overrides),
      m_senders(line, boxes, this), m_status(line, *statusBar(), this),
      m_voiceStatus(line, line.voice(), *statusBar()), m_lineMessages(line, boxes, this),
      m_modemMenu(*this, check, serialDevices, boxes, this),
      m_autoMenu(*this, line, m_ui, boxes, *statusBar(), this, runStallMs),
      m_stepFocus(m_ui, line, m_senders, m_status)
{
    initIconResources();
    setObjectName(QStringLiteral("ReserveForm"));
    setWindowTitle(QStringLiteral("オルベンスポーツ施設予約"));
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/tarvik-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    buildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_senders.setStepNamer([this](const QStringList& parts) { m_status.nameStep(parts); });
    connectSteps();
    connect(&m_line, &LineControl::stateChanged, this, &ReserveForm::showLineState);
    connect(&m_check, &ModemCheck::runningChanged, this, [this] { showLineState(m_line.state()); });
    connect(m_ui.portList, &QComboBox::currentIndexChanged, this,
            [this] { m_settings.showPortToolTips(); });
    trackEdits();
    startUp();
}

ReserveForm::~ReserveForm() = default;

void ReserveForm::setChangedFlag(bool changed)
{
    m_changedFlag = changed;
}

// ---- building -------------------------------------------------------------------------------

QWidget* ReserveForm::buildPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ReservePanel"));
    panel->setFixedSize(m_scale.toPixels(QRect(0, 0, 7500, 6015)).size());
    setCentralWidget(panel);
    return panel;
}

void ReserveForm::buildMenus()
{
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    fileMenu->addAction(QStringLiteral("保存(&S)"), this, &ReserveForm::saveFromMenu)
        ->setObjectName(QStringLiteral("MenuSave"));
    fileMenu->addAction(QStringLiteral("終了(&X)"), this, &ReserveForm::exitFromMenu)
        ->setObjectName(QStringLiteral("MenuExit"));

    QMenu* registMenu = menuBar()->addMenu(QStringLiteral("登録(&R)"));
    registMenu->setObjectName(QStringLiteral("registMenu"));
    registMenu->addAction(QStringLiteral("ID番号(&I)"), this, [this] { openEditor(Kind::Member); })
        ->setObjectName(QStringLiteral("AddMember"));
    registMenu->addAction(QStringLiteral("施設(&F)"), this, [this] { openEditor(Kind::Facility); })
        ->setObjectName(QStringLiteral("AddFacirity"));

    m_modemMenu.addTo(*menuBar());
    m_autoMenu.addTo(*menuBar());
}

// ---- start-up -------------------------------------------------------------------------------

void ReserveForm::startUp()
{
    m_ui.calendar->setSelectedDate(QDate::currentDate());
    fillFixedLists();
    m_settings.show(m_store.load());
    m_settings.showPortToolTips();
    showLineState(m_line.state());
    m_ui.freeToneField->clear();
    // Loading the fields raised their change notifications: a window fresh from the file is
    // unchanged.
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
    if (!m_store.save(m_settings.read(), &reason)) {
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

void ReserveForm::openEditor(Kind kind)
{
    Parameter editor(kind, *this, m_boxes, this);
    editor.exec();
}

// ---- the steps of a call --------------------------------------------------------------------

void ReserveForm::connectSteps()
{
    for (std::size_t i = 0; i < m_ui.stepButtons.size(); ++i)
        connect(m_ui.button(Step(i)), &QPushButton::clicked, this, [this, i] { press(Step(i)); });
    for (int key = 0; key < int(m_ui.keyButtons.size()); ++key)
        connect(m_ui.keyButtons[std::size_t(key)], &QPushButton::clicked, this,
                [this, key] { m_senders.sendKey(key); });
    connect(m_ui.sendFreeToneButton, &QPushButton::clicked, this,
            [this] { m_senders.sendFreeString(m_ui.freeToneField->text()); });
}

void ReserveForm::press(Step step)
{
    m_autoMenu.stepPressed(step);
    switch (step) {
    case Step::Hook:
        return hook();
    case Step::Dial:
        return dial();
    case Step::HookOff:
        return m_line.hookOff();
    default:
        return m_senders.send(step, callFields());
    }
}

CallFields ReserveForm::callFields() const
{
    return {m_ui.serviceList->currentText(),
            m_settings.selectedEntry(Kind::Member),
            m_settings.selectedEntry(Kind::Facility),
            m_ui.conditionsField->text(),
            m_ui.dateField->text(),
            m_ui.timeSlotField->text(),
            m_ui.purposeField->text()};
}

void ReserveForm::showLineState(LineControl::State state)
{
    const LineButtonStates enabled = LineButtonStates::forState(state);
    // A running check holds the port: Hook could not open it.
    m_ui.button(Step::Hook)->setEnabled(enabled.hook && !m_check.isRunning());
    m_ui.button(Step::Dial)->setEnabled(enabled.dial);
    m_ui.button(Step::HookOff)->setEnabled(enabled.hookOff);
    for (QPushButton* button : m_ui.fieldButtons)
        button->setEnabled(enabled.fields);
    const bool portFree = state == LineControl::State::Idle && !m_check.isRunning();
    m_modemMenu.setPortFree(portFree);
    m_autoMenu.setLineFree(portFree);
    m_stepFocus.followLineState(state);
}

void ReserveForm::hook()
{
    if (m_check.isRunning())
        return;
    const bool voice = m_settings.portChoices().voice;
    m_line.hook(chosenDevicePath(), voice ? LineControl::Mode::Voice : LineControl::Mode::Plain,
                [this](LineControl::VoiceRefusal why) { return m_lineMessages.askPlainCall(why); });
}

void ReserveForm::dial()
{
    const QString number = m_ui.numberField->text();
    if (!m_senders.checkToneString(number))
        return;
    // Tone for "Tone" and also when no mode is selected.
    const auto mode = m_ui.dialModeList->currentIndex() == PulseIndex ? LineControl::DialMode::Pulse
                                                                      : LineControl::DialMode::Tone;
    m_line.dial(mode, number);
}

// ---- the port -------------------------------------------------------------------------------

QString ReserveForm::chosenPortCaption() const
{
    return PortMapping::caption(m_ui.portList->currentIndex());
}

QString ReserveForm::chosenDevicePath() const
{
    return m_settings.chosenDevice().path;
}

const PortChoices& ReserveForm::portChoices() const
{
    return m_settings.portChoices();
}

void ReserveForm::choosePorts(const PortChoices& choices)
{
    if (!m_settings.setPortChoices(choices))
        return;
    setChangedFlag(true);
    m_settings.showPortToolTips();
}

const PortMapping::Overrides& ReserveForm::portOverrides() const
{
    return m_overrides;
}

void ReserveForm::showProgress(const QString& text)
{
    if (text.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(text);
}

// ---- the automatic run ----------------------------------------------------------------------

bool ReserveForm::checkBeforeRun()
{
    return m_senders.wouldSendTypicalCall(m_ui.numberField->text(), callFields());
}

bool ReserveForm::callsInVoiceMode() const
{
    return m_settings.portChoices().voice;
}

const Settings::StepPaces& ReserveForm::recordedPaces() const
{
    return m_settings.recordedPaces();
}

// Kept in the file at once, the rest of the file as it was saved: the recording is no edit of
// the user's to ask about.
void ReserveForm::keepRecordedPaces(const Settings::StepPaces& paces)
{
    m_settings.setRecordedPaces(paces);
    Settings stored = m_store.load();
    stored.recordedPaces = paces;
    QString reason;
    if (!m_store.save(stored, &reason))
        statusBar()->showMessage(
            QStringLiteral("通話の記録を保存できませんでした（%1）").arg(reason));
}

// ---- edits ----------------------------------------------------------------------------------

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
    if (!m_autoMenu.mayLeave())
        return;
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
    if (!m_autoMenu.mayLeave() || (changedFlag() && !askToSaveBeforeLeaving())) {
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
    m_autoMenu.leave();
    m_check.abort();
    m_line.hangUpForExit();
}
