#include "ReserveForm.h"

#include "CallStatus.h"
#include "FieldSenders.h"
#include "FlowChartArrows.h"
#include "LineButtonStates.h"
#include "MessageBoxes.h"
#include "Parameter.h"
#include "PortMapping.h"
#include "SettingsFile.h"
#include "TwipScale.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QLabel>
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

// The design grid is kept, except where a caption in the Noto CJK fonts would not fit: the
// step buttons, the dialling mode, the tone-pad heading and the calendar's last week are
// widened or lengthened into free space of their own group.
constexpr int StepWidth = 1056;

const QString LeaveTitle = QStringLiteral("終了確認");
const QString SaveQuestion = QStringLiteral("パラメータを保存しますか？");

// Tone pad: column and row of each key index ("0".."9", "*", "#").
QPoint keyCell(int keyIndex)
{
    switch (keyIndex) {
    case 0:
        return {1, 3};
    case 10:
        return {0, 3};
    case 11:
        return {2, 3};
    default:
        return {(keyIndex - 1) % 3, (keyIndex - 1) / 3};
    }
}

QString arrayName(const char* control, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(control)).arg(index);
}

QStringList items(const QComboBox* combo)
{
    QStringList all;
    for (int i = 0; i < combo->count(); ++i)
        all << combo->itemText(i);
    return all;
}

QFont bracketFont()
{
    QFont font;
    // The design font first; Linux has no MS Gothic, so a Japanese monospace font follows.
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                      QStringLiteral("Noto Sans Mono CJK JP")});
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(13.5);
    font.setBold(true);
    return font;
}

} // namespace

ReserveForm::ReserveForm(MessageBoxes& boxes, PortOpener& opener, QWidget* parent)
    : QMainWindow(parent), m_boxes(boxes), m_line(std::make_unique<LineControl>(opener)),
      m_senders(std::make_unique<FieldSenders>(*m_line, boxes, this)),
      m_endProgram([] { QCoreApplication::exit(0); }), m_scale(logicalDpiX())
{
    initIconResources();
    setObjectName(QStringLiteral("ReserveForm"));
    setWindowTitle(QStringLiteral("オルベンスポーツ施設予約"));
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/tarvik-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    buildControls();
    buildMenus();
    buildStatusBar();
    setTabOrderDownTheChart();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connectLine();
    connectSenders();
    trackEdits();
    startUp();
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

LineControl& ReserveForm::lineControl()
{
    return *m_line;
}

void ReserveForm::setProgramEnd(std::function<void()> endProgram)
{
    m_endProgram = std::move(endProgram);
}

// ---- controls -------------------------------------------------------------------------------

void ReserveForm::buildControls()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ReservePanel"));
    const QRect clientArea = m_scale.toPixels(QRect(0, 0, 7500, 6015));
    panel->setFixedSize(clientArea.size());
    setCentralWidget(panel);
    // Created first, so every control lies above the lines.
    auto* arrows = new FlowChartArrows(m_scale, panel);
    arrows->setGeometry(clientArea);

    buildLineRows();
    buildFlowColumn();
    buildTonePad();
}

void ReserveForm::buildLineRows()
{
    command1 =
        addButton(QStringLiteral("Command1"), QStringLiteral("Hook"), {1920, 0, StepWidth, 252});
    combo1 = addCombo(QStringLiteral("Combo1"), QStringLiteral("Hook"), {3000, 0, 972, 300});
    command2 =
        addButton(QStringLiteral("Command2"), QStringLiteral("Dial"), {1920, 360, StepWidth, 252});
    text1 = addField(QStringLiteral("Text1"), QStringLiteral("Dial"), {3000, 360, 2052, 264});
    combo4 =
        addCombo(QStringLiteral("Combo4"), QStringLiteral("Dial Puls/Tone"), {5160, 360, 972, 300});
}

void ReserveForm::buildFlowColumn()
{
    command3 = addButton(QStringLiteral("Command3"), QStringLiteral("Service"),
                         {1920, 960, StepWidth, 252});
    combo2 = addCombo(QStringLiteral("Combo2"), QStringLiteral("Service"), {3000, 960, 2415, 300});
    buildConfirmationPair(0, 1320);
    command6 = addButton(QStringLiteral("Command6"), QStringLiteral("番号・暗証"),
                         {1920, 1680, StepWidth, 252});
    combo3 =
        addCombo(QStringLiteral("Combo3"), QStringLiteral("番号・暗証"), {3000, 1680, 2415, 300});
    command7 = addButton(QStringLiteral("Command7"), QStringLiteral("施設・内訳"),
                         {1920, 2280, StepWidth, 252});
    combo5 =
        addCombo(QStringLiteral("Combo5"), QStringLiteral("施設・内訳"), {3000, 2280, 2415, 300});
    buildCodeRow(0, 2640, QStringLiteral("利用条件"));
    buildConfirmationPair(1, 3000);
    command12 = addButton(QStringLiteral("Command12"), QStringLiteral("日付"),
                          {1920, 3360, StepWidth, 252});
    text5 = addField(QStringLiteral("Text5"), QStringLiteral("日付"), {3000, 3360, 612, 264});
    command13 = addButton(QStringLiteral("Command13"), QStringLiteral("時間帯"),
                          {1920, 3720, StepWidth, 252});
    text6 = addField(QStringLiteral("Text6"), QStringLiteral("時間帯"), {3000, 3720, 372, 264});
    buildCodeRow(1, 4080, QStringLiteral("利用目的"));
    buildConfirmationPair(2, 4440);
    command4[3] =
        addButton(arrayName("Command4", 3), QStringLiteral("次予約"), {1920, 4920, StepWidth, 252});
    command5[3] =
        addButton(arrayName("Command5", 3), QStringLiteral("他ｻｰﾋﾞｽ"), {600, 4920, 852, 252});
    command10 = addButton(QStringLiteral("Command10"), QStringLiteral("HookOFF"),
                          {1920, 5280, StepWidth, 375});
}

void ReserveForm::buildConfirmationPair(int index, int top)
{
    command4[index] =
        addButton(arrayName("Command4", index), QStringLiteral("Yes"), {1920, top, StepWidth, 252});
    command5[index] =
        addButton(arrayName("Command5", index), QStringLiteral("No"), {1200, top, 612, 252});
}

void ReserveForm::buildCodeRow(int index, int top, const QString& caption)
{
    label1[index] =
        addBracket(arrayName("Label1", index), QStringLiteral("【"), {1560, top, 255, 375});
    command9[index] = addButton(arrayName("Command9", index), caption, {1920, top, StepWidth, 252});
    text4[index] = addField(arrayName("Text4", index), caption, {3000, top, 372, 264});
    label2[index] =
        addBracket(arrayName("Label2", index), QStringLiteral("】"), {3480, top, 255, 375});
}

void ReserveForm::buildTonePad()
{
    label3 = new QLabel(QStringLiteral("トーン信号を送ります"), centralWidget());
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setGeometry(m_scale.toPixels(QRect(5520, 960, 1935, 255)));
    for (int i = 0; i < int(command11.size()); ++i) {
        const QPoint cell = keyCell(i);
        const QString key = FieldSenders::keyTones(i);
        command11[i] = addButton(arrayName("Command11", i), key,
                                 {6240 + 360 * cell.x(), 1200 + 360 * cell.y(), 372, 372});
    }
    text7 = addField(QStringLiteral("Text7"), QStringLiteral("←を送信"), {5280, 2760, 1215, 270});
    command14 =
        addButton(QStringLiteral("Command14"), QStringLiteral("←を送信"), {6480, 2760, 855, 375});
    calendar1 = new QCalendarWidget(centralWidget());
    calendar1->setObjectName(QStringLiteral("Calendar1"));
    calendar1->setAccessibleName(QStringLiteral("カレンダー"));
    calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar1->setGeometry(m_scale.toPixels(QRect(3720, 3480, 3615, 2505)));
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
}

void ReserveForm::buildStatusBar()
{
    auto* status = new CallStatus(*m_line, *statusBar(), this);
    m_senders->setStepNamer(
        [status](const QStringList& partNames) { status->nameStep(partNames); });
}

void ReserveForm::setTabOrderDownTheChart()
{
    const QList<QWidget*> order = {
        command1,     combo1,        command2,     text1,         combo4,       command3,
        combo2,       command5[0],   command4[0],  command6,      combo3,       command7,
        combo5,       command9[0],   text4[0],     command5[1],   command4[1],  command12,
        text5,        command13,     text6,        command9[1],   text4[1],     command5[2],
        command4[2],  command5[3],   command4[3],  command10,     command11[1], command11[2],
        command11[3], command11[4],  command11[5], command11[6],  command11[7], command11[8],
        command11[9], command11[10], command11[0], command11[11], text7,        command14,
        calendar1,
    };
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void ReserveForm::place(QWidget* control, const QString& objectName, const QString& accessibleName,
                        const QRect& twips)
{
    control->setObjectName(objectName);
    control->setAccessibleName(accessibleName);
    control->setGeometry(m_scale.toPixels(twips));
}

QPushButton* ReserveForm::addButton(const QString& objectName, const QString& caption,
                                    const QRect& twips)
{
    auto* button = new QPushButton(caption, centralWidget());
    button->setAutoDefault(false);
    place(button, objectName, caption, twips);
    return button;
}

QLineEdit* ReserveForm::addField(const QString& objectName, const QString& accessibleName,
                                 const QRect& twips)
{
    auto* field = new QLineEdit(centralWidget());
    place(field, objectName, accessibleName, twips);
    return field;
}

QComboBox* ReserveForm::addCombo(const QString& objectName, const QString& accessibleName,
                                 const QRect& twips)
{
    auto* combo = new QComboBox(centralWidget());
    combo->setEditable(true);
    // Typing into the field never adds a line to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    // A long entry shows its start (the member's name), not its end.
    connect(combo, &QComboBox::currentIndexChanged, combo,
            [combo] { combo->lineEdit()->setCursorPosition(0); });
    place(combo, objectName, accessibleName, twips);
    return combo;
}

QLabel* ReserveForm::addBracket(const QString& objectName, const QString& bracket,
                                const QRect& twips)
{
    auto* label = new QLabel(bracket, centralWidget());
    label->setFont(bracketFont());
    label->setAlignment(Qt::AlignCenter);
    place(label, objectName, bracket, twips);
    return label;
}

// ---- start-up -------------------------------------------------------------------------------

void ReserveForm::startUp()
{
    calendar1->setSelectedDate(QDate::currentDate());
    combo1->addItems(PortMapping::captions());
    for (int i = 0; i < combo1->count(); ++i)
        combo1->setItemData(i, PortMapping::toolTipFor(i), Qt::ToolTipRole);
    combo2->addItems(ServiceLines);
    combo2->setCurrentIndex(DefaultServiceIndex);
    combo4->addItems({QStringLiteral("Puls"), QStringLiteral("Tone")});
    loadSettings(SettingsFile::pathInCurrentDirectory());
    showLineState(m_line->state());
    text7->clear();
    // Last: loading the fields raised their change notifications.
    setChangedFlag(false);
}

void ReserveForm::loadSettings(const QString& path)
{
    showSettings(SettingsFile::load(path));
}

bool ReserveForm::saveSettings(const QString& path)
{
    QString error;
    if (!SettingsFile::save(path, settingsShown(), &error)) {
        m_boxes.show(this, QStringLiteral("保存できません"),
                     QStringLiteral("設定を保存できませんでした。\r\n") + error,
                     MessageBoxes::Buttons::Ok);
        return false;
    }
    setChangedFlag(false);
    return true;
}

Settings ReserveForm::settingsShown() const
{
    Settings settings;
    settings.portIndex = combo1->currentIndex();
    settings.dialModeIndex = combo4->currentIndex();
    settings.number = text1->text();
    settings.conditionsCode = text4[0]->text();
    settings.purposeCode = text4[1]->text();
    settings.date = text5->text();
    settings.timeSlot = text6->text();
    settings.members = items(combo3);
    settings.facilities = items(combo5);
    return settings;
}

void ReserveForm::showSettings(const Settings& settings)
{
    // An index outside its list selects nothing rather than a port or mode nobody chose.
    combo1->setCurrentIndex(settings.portIndex < combo1->count() ? settings.portIndex : -1);
    combo4->setCurrentIndex(settings.dialModeIndex < combo4->count() ? settings.dialModeIndex : -1);
    text1->setText(settings.number);
    text4[0]->setText(settings.conditionsCode);
    text4[1]->setText(settings.purposeCode);
    text5->setText(settings.date);
    text6->setText(settings.timeSlot);
    for (QComboBox* list : {combo3, combo5}) {
        list->clear();
        list->addItems(list == combo3 ? settings.members : settings.facilities);
        list->setCurrentIndex(list->count() > 0 ? 0 : -1);
    }
}

// ---- registration lists ---------------------------------------------------------------------

QStringList ReserveForm::registrationList(Kind kind) const
{
    return items(listCombo(kind));
}

void ReserveForm::replaceRegistrationList(Kind kind, const QStringList& entries)
{
    QComboBox* list = listCombo(kind);
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(-1);
    setChangedFlag(true);
}

QComboBox* ReserveForm::listCombo(Kind kind) const
{
    return kind == Kind::Members ? combo3 : combo5;
}

std::optional<QString> ReserveForm::selectedEntry(const QComboBox* list) const
{
    if (list->currentIndex() < 0)
        return std::nullopt;
    return list->itemText(list->currentIndex());
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
    connect(command1, &QPushButton::clicked, this, &ReserveForm::hook);
    connect(command2, &QPushButton::clicked, this, &ReserveForm::dial);
    connect(command10, &QPushButton::clicked, m_line.get(), &LineControl::hookOff);
    connect(m_line.get(), &LineControl::stateChanged, this, &ReserveForm::showLineState);
    // Direct: the operation that timed out carries on only once the box is closed.
    connect(m_line.get(), &LineControl::replyTimedOut, this, &ReserveForm::showReplyTimeout,
            Qt::DirectConnection);
    connect(m_line.get(), &LineControl::portOpenFailed, this, &ReserveForm::showPortOpenFailure,
            Qt::DirectConnection);
    connect(m_line.get(), &LineControl::deviceFailed, this, &ReserveForm::showDeviceFailure,
            Qt::DirectConnection);
    connect(combo1, &QComboBox::currentIndexChanged, this, &ReserveForm::showPortToolTip);
}

void ReserveForm::showLineState(LineControl::State state)
{
    const LineButtonStates enabled = LineButtonStates::forState(state);
    command1->setEnabled(enabled.hook);
    command2->setEnabled(enabled.dial);
    command10->setEnabled(enabled.hookOff);
    enableFieldButtons(enabled.fields);
}

void ReserveForm::enableFieldButtons(bool enabled)
{
    for (QPushButton* key : command11)
        key->setEnabled(enabled);
    for (QPushButton* button : {command3, command6, command7, command12, command13})
        button->setEnabled(enabled);
    for (int i = 0; i < int(command4.size()); ++i) {
        command4[i]->setEnabled(enabled);
        command5[i]->setEnabled(enabled);
    }
    for (QPushButton* button : command9)
        button->setEnabled(enabled);
}

void ReserveForm::hook()
{
    m_line->hook(combo1->currentIndex());
}

void ReserveForm::dial()
{
    if (!m_senders->checkToneString(text1->text()))
        return;
    const auto mode =
        combo4->currentIndex() == 0 ? LineControl::DialMode::Pulse : LineControl::DialMode::Tone;
    m_line->dial(mode, text1->text());
}

void ReserveForm::showReplyTimeout(const QString& modemAnswer)
{
    QString text = QStringLiteral("モデムがつながっていないか、電源が入っていないかも知れません\r\n"
                                  "確認したらプログラムを再起動してください");
    if (!modemAnswer.isEmpty())
        text += QStringLiteral("\r\nモデムの応答: ") + modemAnswer;
    m_boxes.show(this, QStringLiteral("モデムから応答がありません"), text,
                 MessageBoxes::Buttons::Ok);
}

void ReserveForm::showPortOpenFailure(const QString& deviceName, const QString& reason)
{
    m_boxes.show(
        this, QStringLiteral("ポートを開けません"),
        QStringLiteral("モデムのポート %1 を開けませんでした。\r\n%2").arg(deviceName, reason),
        MessageBoxes::Buttons::Ok);
}

void ReserveForm::showDeviceFailure(const QString& reason)
{
    // The reason names the port that was opened, whatever the port list shows now.
    m_boxes.show(this, QStringLiteral("モデムとの通信が切れました"),
                 reason +
                     QStringLiteral("\r\n回線を切りました。モデムを確かめてから「Hook」からやり直し"
                                    "てください。"),
                 MessageBoxes::Buttons::Ok);
}

void ReserveForm::showPortToolTip(int comIndex)
{
    combo1->setToolTip(comIndex < 0 ? QString() : PortMapping::toolTipFor(comIndex));
}

// ---- field senders and edit tracking ---------------------------------------------------------

void ReserveForm::connectSenders()
{
    FieldSenders* senders = m_senders.get();
    for (int i = 0; i < int(command11.size()); ++i)
        connect(command11[i], &QPushButton::clicked, this, [senders, i] { senders->sendKey(i); });
    for (int i = 0; i < int(command4.size()); ++i) {
        connect(command4[i], &QPushButton::clicked, this, [senders] { senders->sendAnswer(true); });
        connect(command5[i], &QPushButton::clicked, this,
                [senders] { senders->sendAnswer(false); });
    }
    for (int i = 0; i < int(command9.size()); ++i)
        connect(command9[i], &QPushButton::clicked, this,
                [this, i] { m_senders->sendField(command9[i]->text(), text4[i]->text()); });
    connect(command3, &QPushButton::clicked, this,
            [this] { m_senders->sendService(combo2->currentText()); });
    connect(command6, &QPushButton::clicked, this,
            [this] { m_senders->sendMember(selectedEntry(combo3)); });
    connect(command7, &QPushButton::clicked, this,
            [this] { m_senders->sendFacility(selectedEntry(combo5)); });
    connect(command12, &QPushButton::clicked, this,
            [this] { m_senders->sendField(command12->text(), text5->text()); });
    connect(command13, &QPushButton::clicked, this,
            [this] { m_senders->sendTimeSlot(text6->text()); });
    connect(command14, &QPushButton::clicked, this,
            [this] { m_senders->sendFreeString(text7->text()); });
}

void ReserveForm::trackEdits()
{
    const auto markChanged = [this] { setChangedFlag(true); };
    for (QLineEdit* field : {text1, text4[0], text4[1], text5, text6})
        connect(field, &QLineEdit::textChanged, this, markChanged);
    // A new port or dialling mode would otherwise be lost without a question on leaving.
    for (QComboBox* choice : {combo1, combo4})
        connect(choice, &QComboBox::currentIndexChanged, this, markChanged);
}

// ---- saving and leaving ---------------------------------------------------------------------

void ReserveForm::saveFromMenu()
{
    if (m_boxes.show(this, QStringLiteral("保存確認"), SaveQuestion,
                     MessageBoxes::Buttons::YesNo) == MessageBoxes::Answer::Yes)
        saveSettings(SettingsFile::pathInCurrentDirectory());
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
    m_line->hangUpForExit();
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
        return saveSettings(SettingsFile::pathInCurrentDirectory());
    case MessageBoxes::Answer::No:
        return true;
    default:
        return false;
    }
}

void ReserveForm::endProgram()
{
    m_line->hangUpForExit();
    m_endProgram();
}
