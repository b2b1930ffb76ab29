#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>

// The built program asked from a terminal: --help and --version answer without a display,
// anything else is refused.
class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();

private:
    static QString projectVersion();
};

// The version CMake's project() declares, which the program must report.
QString TestCommandLine::projectVersion()
{
    QFile lists(qEnvironmentVariable("TARVIK_SOURCE_DIR") + QStringLiteral("/CMakeLists.txt"));
    if (!lists.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpression project(QStringLiteral("project\\(tarvik VERSION ([0-9.]+)"));
    return project.match(QString::fromUtf8(lists.readAll())).captured(1);
}

void TestCommandLine::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");
    const QString version = QStringLiteral("^tarvik %1\n$").arg(projectVersion());
    QTest::newRow("--version") << QStringList{"--version"} << false << 0 << version << "^$";
    QTest::newRow("a window system's own option first")
        << QStringList{"-style", "fusion", "--version"} << false << 0 << version << "^$";
    QTest::newRow("--help") << QStringList{"--help"} << false << 0
                            << "^Usage: .*tarvik \\[options\\]\n.*-h, --help.*-v, --version"
                            << "^$";
    QTest::newRow("unknown option") << QStringList{"--port=COM1"} << true << 1 << "^$"
                                    << "Unknown option 'port'";
}

void TestCommandLine::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, errors);
    QVERIFY(!projectVersion().isEmpty());

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
    const auto dotAll = QRegularExpression::DotMatchesEverythingOption;
    QVERIFY2(QRegularExpression(output, dotAll).match(out).hasMatch(), qPrintable(out));
    QVERIFY2(QRegularExpression(errors, dotAll).match(err).hasMatch(), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
