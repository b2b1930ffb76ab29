#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// The built program asked from a terminal: --help and --version answer without a display,
// anything else is refused.
class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
};

void TestCommandLine::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("answer"); // on standard output, or on standard error when refused
    // The version CMake's project() declares.
    QFile lists(qEnvironmentVariable("TARVIK_SOURCE_DIR") + QStringLiteral("/CMakeLists.txt"));
    QVERIFY(lists.open(QIODevice::ReadOnly));
    const QString version = QRegularExpression(QStringLiteral("project\\(tarvik VERSION ([0-9.]+)"))
                                .match(QString::fromUtf8(lists.readAll()))
                                .captured(1);
    QVERIFY(!version.isEmpty());
    const QString versionLine = QStringLiteral("^tarvik %1\n$").arg(version);
    QTest::newRow("--version") << QStringList{"--version"} << false << 0 << versionLine;
    QTest::newRow("a window system's own option first")
        << QStringList{"-style", "fusion", "--version"} << false << 0 << versionLine;
    QTest::newRow("--help") << QStringList{"--help"} << false << 0
                            << "^Usage: .*tarvik \\[options\\]\n.*-h, --help.*-v, --version";
    QTest::newRow("unknown option")
        << QStringList{"--port=COM1"} << true << 1 << "Unknown option 'port'";
}

void TestCommandLine::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, answer);
    QFETCH(int, exitCode);
    QFETCH(bool, display);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    if (display)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess tarvik;
    tarvik.setProcessEnvironment(environment);
    tarvik.start(qEnvironmentVariable("TARVIK_BINARY_DIR") + QStringLiteral("/src/app/tarvik"),
                 arguments);
    QVERIFY2(tarvik.waitForFinished(20000), "the program did not end");
    QCOMPARE(tarvik.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tarvik.exitCode(), exitCode);
    const QString out = QString::fromLocal8Bit(tarvik.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(tarvik.readAllStandardError());
    const QString& shown = exitCode == 0 ? out : err;
    const auto dotAll = QRegularExpression::DotMatchesEverythingOption;
    QVERIFY2(QRegularExpression(answer, dotAll).match(shown).hasMatch(), qPrintable(shown));
    QVERIFY2((exitCode == 0 ? err : out).isEmpty(), qPrintable(out + err));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
