#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// The built program asked from a terminal: --help and --version answer without a display,
// anything else is refused once the window system has taken its own options.
class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>(
            "answer"); // on standard output, or on standard error when refused
        QTest::newRow("--version after a window system's own option")
            << QStringList{"-style", "fusion", "--version"} << 0
            << "^tarvik [0-9]+\\.[0-9]+\\.[0-9]+\n$";
        QTest::newRow("--help") << QStringList{"--help"} << 0
                                << "^Usage: .*tarvik \\[options\\]\n.*-h, --help.*-v, --version";
        QTest::newRow("unknown option")
            << QStringList{"--port=COM1"} << 1 << "Unknown option 'port'";
    }

    void answers()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, answer);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        if (exitCode != 0) // judged once the window system is up
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess tarvik;
        tarvik.setProcessEnvironment(environment);
        tarvik.start(qEnvironmentVariable("TARVIK_BINARY_DIR") + QStringLiteral("/src/app/tarvik"),
                     arguments);
        QVERIFY2(tarvik.waitForFinished(20000), "the program did not end");
        QCOMPARE(tarvik.exitCode(), exitCode);
        const QByteArray out = tarvik.readAllStandardOutput(), err = tarvik.readAllStandardError();
        const QString shown = QString::fromLocal8Bit(exitCode == 0 ? out : err);
        const QRegularExpression expected(answer, QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(expected.match(shown).hasMatch(), qPrintable(shown));
        QVERIFY2((exitCode == 0 ? err : out).isEmpty(), out + err); // nothing else, nowhere else
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
