#include "ExitSignals.h"
#include "FakePortOpener.h"
#include "FlowChartArrows.h"
#include "PortMapping.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsFile.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;
using State = LineControl::State;

namespace {

const QString SaveQuestion = QStringLiteral("パラメータを保存しますか？");
const QString LeaveTitle = QStringLiteral("終了確認");

struct Box {
    QString title;
    QString text;
    Buttons buttons;
};

Settings demoSettings()
{
    Settings settings;
    settings.portIndex = 2;
    settings.dialModeIndex = 1;
    settings.number = QStringLiteral("045-123-4567");
    settings.conditionsCode = QStringLiteral("1");
    settings.purposeCode = QStringLiteral("21");
    settings.date = QStringLiteral("15");
    settings.timeSlot = QStringLiteral("02");
    settings.members = QStringList{QStringLiteral("山田太郎 12345678 1234"),
                                   QStringLiteral("表ソ能 87654321 4321")};
    settings.facilities =
        QStringList{QStringLiteral("0101 01 体育館"), QStringLiteral("0102 03 テニスコート")};
    return settings;
}

} // namespace

Q_DECLARE_METATYPE(QList<Answer>)

class TestReserveForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUpWithoutSettingsFile();
    void startUpWithSettingsFile();
    void eachSaveUsesTheCurrentDirectory();
    void windowIsFixedAndComplete();
    void captionsFit();
    void arrowsArePainted();
    void accessibleNamesAndTabOrder();

    void enabledStatesThroughACall();
    void enabledStatesWhileDialling();
    void dialRefusesABadNumber();
    void keypadIndexOrder_data();
    void keypadIndexOrder();
    void lineFailuresAreTold_data();
    void lineFailuresAreTold();
    void timeoutBox_data();
    void timeoutBox();

    void editTracking_data();
    void editTracking();
    void registrationListHandBack();
    void editorOpensWithItsTitle_data();
    void editorOpensWithItsTitle();

    void saveFromMenu_data();
    void saveFromMenu();
    void exitFromMenu_data();
    void exitFromMenu();
    void closeBox_data();
    void closeBox();
    void leavingHangsUp_data();
    void leavingHangsUp();
    void terminationSignalHangsUpWithoutQuestions();

private:
    void createWindow();
    void writeSettingsFile(const Settings& settings);
    void makeSavesFail();
    void bringCallUp();
    void click(const QString& objectName);
    template <typename T> T* control(const QString& objectName) const;
    QList<Box> shownBoxes() const;
    void queue(const QList<Answer>& answers);
    QString settingsPath() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
    FakePortOpener m_opener;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<ReserveForm> m_window;
    int m_ended = 0;
};

// ---- fixture --------------------------------------------------------------------------------

void TestReserveForm::init()
{
    m_startDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_boxes.reset();
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_ended = 0;
}

void TestReserveForm::cleanup()
{
    QCOMPARE(m_boxes.pendingAnswers(), 0);
    m_window.reset();
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void TestReserveForm::createWindow()
{
    m_window = std::make_unique<ReserveForm>(m_boxes, m_opener);
    LineControl::Timing timing;
    timing.replyTimeoutMs = 300;
    timing.dialPauseMs = 20;
    timing.pairPauseMs = 20;
    timing.exitReplyTimeoutMs = 200;
    m_window->lineControl().setTiming(timing);
    m_window->setProgramEnd([this] { ++m_ended; });
}

QString TestReserveForm::settingsPath() const
{
    return m_dir->filePath(QStringLiteral("Tarvik.ini"));
}

void TestReserveForm::writeSettingsFile(const Settings& settings)
{
    QString error;
    QVERIFY2(SettingsFile::save(settingsPath(), settings, &error), qPrintable(error));
}

void TestReserveForm::makeSavesFail()
{
    // A folder where the file should be: the new file cannot be put in its place.
    QFile::remove(settingsPath());
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Tarvik.ini")));
}

void TestReserveForm::bringCallUp()
{
    click(QStringLiteral("Command1"));
    click(QStringLiteral("Command2"));
    QCOMPARE(m_window->lineControl().state(), State::Dialled);
    m_opener.device()->clearWritten();
}

void TestReserveForm::click(const QString& objectName)
{
    auto* button = control<QPushButton>(objectName);
    QVERIFY2(button->isEnabled(), qPrintable(objectName));
    button->click();
}

template <typename T> T* TestReserveForm::control(const QString& objectName) const
{
    T* found = m_window->findChild<T*>(objectName);
    if (!found)
        qFatal("no control %s", qPrintable(objectName));
    return found;
}

QList<Box> TestReserveForm::shownBoxes() const
{
    QList<Box> boxes;
    for (const ScriptedMessageBoxes::Shown& shown : m_boxes.shown())
        boxes.append({shown.title, shown.text, shown.buttons});
    return boxes;
}

void TestReserveForm::queue(const QList<Answer>& answers)
{
    for (const Answer answer : answers)
        m_boxes.answerNext(answer);
}

// ---- start-up and layout --------------------------------------------------------------------

void TestReserveForm::startUpWithoutSettingsFile()
{
    createWindow();
    QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("COM1"));
    QCOMPARE(control<QComboBox>("Combo1")->count(), 4);
    QCOMPARE(control<QComboBox>("Combo4")->currentText(), QStringLiteral("Puls"));
    QCOMPARE(control<QComboBox>("Combo2")->currentText(), QStringLiteral("002 抽選申込み"));
    QCOMPARE(control<QComboBox>("Combo2")->count(), 8);
    QCOMPARE(control<QComboBox>("Combo2")->itemText(6), QStringLiteral("007 申込み確認/取消し"));
    for (const char* list : {"Combo3", "Combo5"}) {
        QCOMPARE(control<QComboBox>(list)->count(), 0);
        QCOMPARE(control<QComboBox>(list)->currentIndex(), -1);
    }
    for (const char* field : {"Text1", "Text4_0", "Text4_1", "Text5", "Text6", "Text7"})
        QVERIFY(control<QLineEdit>(field)->text().isEmpty());
    QCOMPARE(control<QCalendarWidget>("Calendar1")->selectedDate(), QDate::currentDate());
    QVERIFY(!m_window->changedFlag());
    QVERIFY(!QFile::exists(settingsPath())); // loading writes nothing
}

void TestReserveForm::startUpWithSettingsFile()
{
    writeSettingsFile(demoSettings());
    createWindow();
    QCOMPARE(control<QComboBox>("Combo1")->currentText(), QStringLiteral("COM3"));
    QCOMPARE(control<QComboBox>("Combo4")->currentText(), QStringLiteral("Tone"));
    QCOMPARE(control<QLineEdit>("Text1")->text(), QStringLiteral("045-123-4567"));
    QCOMPARE(control<QLineEdit>("Text4_0")->text(), QStringLiteral("1"));
    QCOMPARE(control<QLineEdit>("Text4_1")->text(), QStringLiteral("21"));
    QCOMPARE(control<QLineEdit>("Text5")->text(), QStringLiteral("15"));
    QCOMPARE(control<QLineEdit>("Text6")->text(), QStringLiteral("02"));
    QCOMPARE(m_window->registrationList(RegistrationLists::Kind::Members), demoSettings().members);
    QCOMPARE(m_window->registrationList(RegistrationLists::Kind::Facilities),
             demoSettings().facilities);
    QCOMPARE(control<QComboBox>("Combo3")->currentIndex(), 0);
    QCOMPARE(control<QComboBox>("Combo5")->currentIndex(), 0);
    QCOMPARE(control<QComboBox>("Combo2")->currentIndex(), 1); // the service is never stored
    QVERIFY(control<QComboBox>("Combo1")->toolTip().contains(QStringLiteral("ttyS2")));
    QVERIFY(!m_window->changedFlag()); // although loading filled the fields
}

void TestReserveForm::eachSaveUsesTheCurrentDirectory()
{
    createWindow();
    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    queue({Answer::Yes});
    m_window->findChild<QAction*>(QStringLiteral("MenuSave"))->trigger();
    QVERIFY(QFile::exists(elsewhere.filePath(QStringLiteral("Tarvik.ini"))));
    QVERIFY(!QFile::exists(settingsPath()));
}

void TestReserveForm::windowIsFixedAndComplete()
{
    createWindow();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("オルベンスポーツ施設予約"));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QVERIFY(!m_window->windowIcon().isNull());
    QVERIFY(!m_window->findChild<QWidget*>(QStringLiteral("Text2")));
    QCOMPARE(m_window->findChildren<QPushButton*>(QRegularExpression("^Command11_")).size(), 12);
    const QStringList menuCaptions{QStringLiteral("保存(&S)"), QStringLiteral("終了(&X)"),
                                   QStringLiteral("ID番号(&I)"), QStringLiteral("施設(&F)")};
    const QStringList menuNames{"MenuSave", "MenuExit", "AddMember", "AddFacirity"};
    for (int i = 0; i < menuNames.size(); ++i)
        QCOMPARE(m_window->findChild<QAction*>(menuNames[i])->text(), menuCaptions[i]);
    const QFont bracket = control<QLabel>("Label1_0")->font();
    QVERIFY(bracket.bold());
    QCOMPARE(bracket.pointSizeF(), 13.5);
    QVERIFY(bracket.families().contains(QStringLiteral("ＭＳ ゴシック")));
}

void TestReserveForm::captionsFit()
{
    createWindow();
    const auto buttons = m_window->findChildren<QPushButton*>();
    for (const QPushButton* button : buttons) {
        const QFontMetrics metrics(button->font());
        QVERIFY2(metrics.horizontalAdvance(button->text()) + 4 <= button->width(),
                 qPrintable(button->objectName()));
        QVERIFY2(metrics.boundingRect(button->text()).height() <= button->height(),
                 qPrintable(button->objectName()));
    }
    const QLabel* heading = control<QLabel>("Label3");
    QVERIFY(QFontMetrics(heading->font()).horizontalAdvance(heading->text()) <= heading->width());
    QVERIFY(heading->geometry().right() < m_window->centralWidget()->width());
}

void TestReserveForm::arrowsArePainted()
{
    createWindow();
    auto* arrows = control<FlowChartArrows>("FlowChartArrows");
    const QImage image = arrows->grab().toImage();
    const double pixelsPerTwip = arrows->logicalDpiX() / 1440.0;
    const auto at = [&](int x, int y) {
        return image.pixelColor(qRound(x * pixelsPerTwip * image.devicePixelRatio()),
                                qRound(y * pixelsPerTwip * image.devicePixelRatio()));
    };
    const QColor ink = arrows->palette().color(QPalette::WindowText);
    QCOMPARE(at(360, 3000), ink);  // up the left margin from "他ｻｰﾋﾞｽ"
    QCOMPARE(at(720, 3000), ink);  // up from "次予約"
    QCOMPARE(at(1000, 840), ink);  // into the "Service" step
    QCOMPARE(at(1800, 2160), ink); // into the "施設・内訳" step
    QVERIFY(at(240, 3000) != ink); // nothing left of the margin line
}

void TestReserveForm::accessibleNamesAndTabOrder()
{
    createWindow();
    for (QWidget* widget : m_window->centralWidget()->findChildren<QWidget*>()) {
        if (qobject_cast<QPushButton*>(widget) || widget->objectName().startsWith("Text") ||
            widget->objectName().startsWith("Combo"))
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
    }
    QCOMPARE(control<QLineEdit>("Text5")->accessibleName(), QStringLiteral("日付"));
    QCOMPARE(control<QComboBox>("Combo3")->accessibleName(), QStringLiteral("番号・暗証"));

    const QStringList expected{
        "Command1",    "Combo1",       "Command2",    "Text1",        "Combo4",      "Command3",
        "Combo2",      "Command5_0",   "Command4_0",  "Command6",     "Combo3",      "Command7",
        "Combo5",      "Command9_0",   "Text4_0",     "Command5_1",   "Command4_1",  "Command12",
        "Text5",       "Command13",    "Text6",       "Command9_1",   "Text4_1",     "Command5_2",
        "Command4_2",  "Command5_3",   "Command4_3",  "Command10",    "Command11_1", "Command11_2",
        "Command11_3", "Command11_4",  "Command11_5", "Command11_6",  "Command11_7", "Command11_8",
        "Command11_9", "Command11_10", "Command11_0", "Command11_11", "Text7",       "Command14",
        "Calendar1"};
    QStringList chain;
    QWidget* widget = control<QWidget>("Command1");
    do {
        if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != control<QWidget>("Command1"));
    QCOMPARE(chain, expected);
}

// ---- the line -------------------------------------------------------------------------------

void TestReserveForm::enabledStatesThroughACall()
{
    createWindow();
    const auto expectStates = [this](bool hook, bool dial, bool hookOff, bool fields) {
        QCOMPARE(control<QPushButton>("Command1")->isEnabled(), hook);
        QCOMPARE(control<QPushButton>("Command2")->isEnabled(), dial);
        QCOMPARE(control<QPushButton>("Command10")->isEnabled(), hookOff);
        QCOMPARE(control<QPushButton>("Command14")->isEnabled(), true);
        const QStringList fieldButtons{"Command3",     "Command6",    "Command7",   "Command12",
                                       "Command13",    "Command9_0",  "Command9_1", "Command4_0",
                                       "Command4_3",   "Command5_0",  "Command5_3", "Command11_0",
                                       "Command11_10", "Command11_11"};
        for (const QString& name : fieldButtons)
            QVERIFY2(control<QPushButton>(name)->isEnabled() == fields, qPrintable(name));
    };
    expectStates(true, false, false, false); // Idle
    click(QStringLiteral("Command1"));
    expectStates(false, true, true, false); // OffHook
    click(QStringLiteral("Command2"));
    expectStates(false, false, true, true); // Dialled
    click(QStringLiteral("Command10"));
    expectStates(true, false, false, false); // Idle again
    QVERIFY(!m_window->lineControl().isPortOpen());
    click(QStringLiteral("Command1"));
    click(QStringLiteral("Command10")); // hang up without dialling
    expectStates(true, false, false, false);
}

void TestReserveForm::enabledStatesWhileDialling()
{
    createWindow();
    click(QStringLiteral("Command1"));
    bool checked = false;
    connect(&m_window->lineControl(), &LineControl::waitStarted, this, [&] {
        if (checked)
            return;
        QCOMPARE(m_window->lineControl().state(), State::Dialling);
        QVERIFY(!control<QPushButton>("Command1")->isEnabled());
        QVERIFY(!control<QPushButton>("Command2")->isEnabled());
        QVERIFY(control<QPushButton>("Command10")->isEnabled());
        QVERIFY(!control<QPushButton>("Command3")->isEnabled());
        checked = true;
    });
    click(QStringLiteral("Command2"));
    QVERIFY(checked);
}

void TestReserveForm::dialRefusesABadNumber()
{
    createWindow();
    control<QLineEdit>("Text1")->setText(QStringLiteral("045 123"));
    click(QStringLiteral("Command1"));
    m_opener.device()->clearWritten();
    queue({Answer::Ok});
    click(QStringLiteral("Command2"));
    QCOMPARE(shownBoxes().size(), 1);
    QCOMPARE(shownBoxes().first().title, QStringLiteral("送信文字列エラー"));
    QCOMPARE(shownBoxes().first().text, QStringLiteral("番号か*#-のどれかを指定してください"));
    QCOMPARE(m_opener.device()->written(), QByteArray());
    QVERIFY(control<QPushButton>("Command2")->isEnabled());
}

void TestReserveForm::keypadIndexOrder_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QPoint>("cell"); // column and row on the pad
    QTest::newRow("0") << 0 << "0" << QByteArray("ATDT0;\r\n") << QPoint(1, 3);
    QTest::newRow("1") << 1 << "1" << QByteArray("ATDT1;\r\n") << QPoint(0, 0);
    QTest::newRow("6") << 6 << "6" << QByteArray("ATDT6;\r\n") << QPoint(2, 1);
    QTest::newRow("9") << 9 << "9" << QByteArray("ATDT9;\r\n") << QPoint(2, 2);
    QTest::newRow("star is 10, left") << 10 << "*" << QByteArray("ATDT*;\r\n") << QPoint(0, 3);
    QTest::newRow("hash is 11, right") << 11 << "#" << QByteArray("ATDT#;\r\n") << QPoint(2, 3);
}

void TestReserveForm::keypadIndexOrder()
{
    QFETCH(int, index);
    createWindow();
    bringCallUp();
    const QString name = QStringLiteral("Command11_%1").arg(index);
    QFETCH(QPoint, cell);
    QTEST(control<QPushButton>(name)->text(), "caption");
    const QPoint origin = control<QPushButton>("Command11_1")->pos();
    const QPoint step = control<QPushButton>("Command11_5")->pos() - origin;
    const QPoint expected(origin.x() + cell.x() * step.x(), origin.y() + cell.y() * step.y());
    QVERIFY((control<QPushButton>(name)->pos() - expected).manhattanLength() <= 2);
    click(name);
    QTEST(m_opener.device()->written(), "sent");
}

void TestReserveForm::lineFailuresAreTold_data()
{
    QTest::addColumn<bool>("duringCall");
    QTest::addColumn<QString>("title");
    QTest::newRow("port cannot be opened") << false << "ポートを開けません";
    QTest::newRow("device vanishes") << true << "モデムとの通信が切れました";
}

void TestReserveForm::lineFailuresAreTold()
{
    QFETCH(bool, duringCall);
    QFETCH(QString, title);
    createWindow();
    queue({Answer::Ok});
    if (duringCall) {
        bringCallUp();
        m_opener.device()->vanish(QStringLiteral("USB が抜かれました"));
        QTRY_COMPARE(m_window->lineControl().state(), State::Idle);
    } else {
        m_opener.failOpens(QStringLiteral("/dev/ttyS9"), QStringLiteral("見つかりません"));
        click(QStringLiteral("Command1"));
    }
    QCOMPARE(shownBoxes().size(), 1);
    QCOMPARE(shownBoxes().first().title, title);
    const QString device = duringCall ? PortMapping::deviceFor(0) : QStringLiteral("/dev/ttyS9");
    const QString reason =
        duringCall ? QStringLiteral("USB が抜かれました") : QStringLiteral("見つかりません");
    QVERIFY(shownBoxes().first().text.contains(device));
    QVERIFY(shownBoxes().first().text.contains(reason));
    QVERIFY(control<QPushButton>("Command1")->isEnabled());
    QVERIFY(!control<QPushButton>("Command3")->isEnabled());
}

void TestReserveForm::timeoutBox_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("text");
    const QString twoLines =
        QStringLiteral("モデムがつながっていないか、電源が入っていないかも知れません"
                       "\r\n確認したらプログラムを再起動してください");
    QTest::newRow("silent") << QByteArray() << twoLines;
    QTest::newRow("lower-case ok") << QByteArray("\r\nok\r\n") << twoLines;
    QTest::newRow("no dial tone") << QByteArray("\r\nNO DIALTONE\r\n")
                                  << twoLines + QStringLiteral("\r\nモデムの応答: NO DIALTONE");
}

void TestReserveForm::timeoutBox()
{
    QFETCH(QByteArray, reply);
    m_opener.setAutoReply(reply);
    createWindow();
    queue({Answer::Ok});
    click(QStringLiteral("Command1"));
    QCOMPARE(shownBoxes().size(), 1);
    QCOMPARE(shownBoxes().first().title, QStringLiteral("モデムから応答がありません"));
    QTEST(shownBoxes().first().text, "text");
    QCOMPARE(shownBoxes().first().buttons, Buttons::Ok);
    // The operation finished all the same.
    QVERIFY(control<QPushButton>("Command2")->isEnabled());
    QVERIFY(control<QPushButton>("Command10")->isEnabled());
}

// ---- edits ----------------------------------------------------------------------------------

void TestReserveForm::editTracking_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("changed");
    QTest::newRow("number") << "Text1" << true;
    QTest::newRow("conditions") << "Text4_0" << true;
    QTest::newRow("purpose") << "Text4_1" << true;
    QTest::newRow("date") << "Text5" << true;
    QTest::newRow("time slot") << "Text6" << true;
    QTest::newRow("free tone string") << "Text7" << false;
    QTest::newRow("port") << "Combo1" << true;
    QTest::newRow("dialling mode") << "Combo4" << true;
    QTest::newRow("service") << "Combo2" << false;
    QTest::newRow("member") << "Combo3" << false;
    QTest::newRow("facility") << "Combo5" << false;
}

void TestReserveForm::editTracking()
{
    QFETCH(QString, name);
    writeSettingsFile(demoSettings());
    createWindow();
    QWidget* edited = control<QWidget>(name);
    if (auto* combo = qobject_cast<QComboBox*>(edited)) {
        const int before = combo->currentIndex();
        QTest::keyClick(combo, before + 1 < combo->count() ? Qt::Key_Down : Qt::Key_Up);
        QVERIFY(combo->currentIndex() != before);
    } else {
        QTest::keyClicks(edited, QStringLiteral("9"));
    }
    QTEST(m_window->changedFlag(), "changed");
}

void TestReserveForm::registrationListHandBack()
{
    writeSettingsFile(demoSettings());
    createWindow();
    const QStringList entries{QStringLiteral("0201 02 プール"), QStringLiteral("0301 01 球場")};
    m_window->replaceRegistrationList(RegistrationLists::Kind::Facilities, entries);
    QCOMPARE(m_window->registrationList(RegistrationLists::Kind::Facilities), entries);
    QCOMPARE(control<QComboBox>("Combo5")->currentIndex(), -1);
    QCOMPARE(m_window->registrationList(RegistrationLists::Kind::Members), demoSettings().members);
    QVERIFY(m_window->changedFlag());
}

void TestReserveForm::editorOpensWithItsTitle_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("title");
    QTest::newRow("members") << "AddMember"
                             << "メンバー追加";
    QTest::newRow("facilities") << "AddFacirity"
                                << "施設追加";
}

void TestReserveForm::editorOpensWithItsTitle()
{
    QFETCH(QString, action);
    createWindow();
    QString seen;
    QTimer::singleShot(0, this, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        seen = dialog->windowTitle();
        dialog->close();
    });
    m_window->findChild<QAction*>(action)->trigger();
    QTEST(seen, "title");
    QVERIFY(!m_window->changedFlag());
}

// ---- saving and leaving ---------------------------------------------------------------------

void TestReserveForm::saveFromMenu_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("changedAfter");
    QTest::newRow("yes") << Answer::Yes << false << true << false;
    QTest::newRow("no") << Answer::No << false << false << true;
    QTest::newRow("yes, save fails") << Answer::Yes << true << false << true;
}

void TestReserveForm::saveFromMenu()
{
    QFETCH(Answer, answer);
    QFETCH(bool, saveFails);
    createWindow();
    control<QLineEdit>("Text5")->setText(QStringLiteral("31"));
    if (saveFails)
        makeSavesFail();
    queue({answer});
    if (saveFails)
        queue({Answer::Ok});
    m_window->findChild<QAction*>(QStringLiteral("MenuSave"))->trigger();
    QCOMPARE(shownBoxes().first().title, QStringLiteral("保存確認"));
    QCOMPARE(shownBoxes().first().text, SaveQuestion);
    QCOMPARE(shownBoxes().first().buttons, Buttons::YesNo);
    QTEST(QFileInfo(settingsPath()).isFile(), "written");
    QTEST(m_window->changedFlag(), "changedAfter");
    if (saveFails) {
        QCOMPARE(shownBoxes().size(), 2);
        QCOMPARE(shownBoxes().last().title, QStringLiteral("保存できません"));
        QVERIFY(shownBoxes().last().text.startsWith(
            QStringLiteral("設定を保存できませんでした。\r\n")));
        QVERIFY(shownBoxes().last().text.size() > 16); // the reason follows
    } else if (answer == Answer::Yes) {
        QCOMPARE(SettingsFile::load(settingsPath()).date, QStringLiteral("31"));
    }
}

void TestReserveForm::exitFromMenu_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<Buttons>("question");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<bool>("written");
    const QList<Answer> failed{Answer::Yes, Answer::Ok};
    QTest::newRow("unchanged, ok")
        << false << false << QList{Answer::Ok} << Buttons::OkCancel << true << false;
    QTest::newRow("unchanged, cancel")
        << false << false << QList{Answer::Cancel} << Buttons::OkCancel << false << false;
    QTest::newRow("changed, yes") << true << false << QList{Answer::Yes} << Buttons::YesNoCancel
                                  << true << true;
    QTest::newRow("changed, no") << true << false << QList{Answer::No} << Buttons::YesNoCancel
                                 << true << false;
    QTest::newRow("changed, cancel")
        << true << false << QList{Answer::Cancel} << Buttons::YesNoCancel << false << false;
    QTest::newRow("changed, yes, save fails")
        << true << true << failed << Buttons::YesNoCancel << false << false;
}

void TestReserveForm::exitFromMenu()
{
    QFETCH(bool, changed);
    QFETCH(bool, saveFails);
    QFETCH(QList<Answer>, answers);
    QFETCH(Buttons, question);
    createWindow();
    if (changed)
        control<QLineEdit>("Text1")->setText(QStringLiteral("0451234567"));
    if (saveFails)
        makeSavesFail();
    queue(answers);
    m_window->findChild<QAction*>(QStringLiteral("MenuExit"))->trigger();
    QCOMPARE(shownBoxes().size(), answers.size()); // never a second question
    QCOMPARE(shownBoxes().first().title, LeaveTitle);
    QCOMPARE(shownBoxes().first().text, changed ? SaveQuestion : QStringLiteral("終了しますか？"));
    QCOMPARE(shownBoxes().first().buttons, question);
    QFETCH(bool, ended);
    QCOMPARE(m_ended, ended ? 1 : 0);
    QTEST(QFileInfo(settingsPath()).isFile(), "written");
    QCOMPARE(m_window->changedFlag(), changed && answers.first() != Answer::Yes ? true : saveFails);
}

void TestReserveForm::closeBox_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("written");
    QTest::newRow("unchanged: no question") << false << false << QList<Answer>() << true << false;
    QTest::newRow("changed, yes") << true << false << QList{Answer::Yes} << true << true;
    QTest::newRow("changed, no") << true << false << QList{Answer::No} << true << false;
    QTest::newRow("changed, cancel") << true << false << QList{Answer::Cancel} << false << false;
    QTest::newRow("changed, yes, save fails")
        << true << true << QList{Answer::Yes, Answer::Ok} << false << false;
}

void TestReserveForm::closeBox()
{
    QFETCH(bool, changed);
    QFETCH(bool, saveFails);
    QFETCH(QList<Answer>, answers);
    createWindow();
    m_window->show();
    if (changed)
        control<QLineEdit>("Text6")->setText(QStringLiteral("03"));
    if (saveFails)
        makeSavesFail();
    queue(answers);
    QTEST(m_window->close(), "closed");
    QCOMPARE(shownBoxes().size(), answers.size());
    if (!answers.isEmpty()) {
        QCOMPARE(shownBoxes().first().title, LeaveTitle);
        QCOMPARE(shownBoxes().first().text, SaveQuestion);
        QCOMPARE(shownBoxes().first().buttons, Buttons::YesNoCancel);
    }
    QTEST(QFileInfo(settingsPath()).isFile(), "written");
    QCOMPARE(m_ended, 0); // closing the last window ends the program by itself
}

void TestReserveForm::leavingHangsUp_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("menu") << "menu";
    QTest::newRow("close box") << "close box";
}

void TestReserveForm::leavingHangsUp()
{
    QFETCH(QString, how);
    createWindow();
    bringCallUp();
    if (how == QLatin1String("menu")) {
        queue({Answer::Ok});
        m_window->findChild<QAction*>(QStringLiteral("MenuExit"))->trigger();
        QCOMPARE(m_ended, 1);
    } else {
        QVERIFY(m_window->close());
    }
    QVERIFY(m_opener.device()); // its deletion waits for the event loop
    QCOMPARE(m_opener.device()->written(), QByteArray("ATH0\r"));
    QVERIFY(!m_window->lineControl().isPortOpen());
}

void TestReserveForm::terminationSignalHangsUpWithoutQuestions()
{
    createWindow();
    bringCallUp();
    control<QLineEdit>("Text1")->setText(QStringLiteral("changed, but a signal saves nothing"));
    QPointer<FakeModemDevice> device = m_opener.device();
    QByteArray writtenBeforeEnd;
    m_window->setProgramEnd([&] {
        ++m_ended;
        writtenBeforeEnd = device ? device->written() : QByteArray("deleted");
    });
    ExitSignals signals_;
    connect(&signals_, &ExitSignals::exitRequested, m_window.get(),
            &ReserveForm::leaveWithoutQuestions);
    QSignalSpy requested(&signals_, &ExitSignals::exitRequested);
    ::raise(SIGTERM);
    QTRY_COMPARE(m_ended, 1);
    QCOMPARE(requested.first().first().toInt(), SIGTERM);
    QCOMPARE(writtenBeforeEnd, QByteArray("ATH0\r"));
    QVERIFY(!m_window->lineControl().isPortOpen());
    QVERIFY(m_boxes.shown().isEmpty());
    QVERIFY(!QFile::exists(settingsPath()));
}

QTEST_MAIN(TestReserveForm)
#include "tst_reserveform.moc"
