#include "AudioOutputLoader.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestAudioOutputLoader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void givesAnOutputThatNeverBlocks_data();
    void givesAnOutputThatNeverBlocks();
};

void TestAudioOutputLoader::givesAnOutputThatNeverBlocks_data()
{
    QTest::addColumn<QString>("folder"); // empty: an empty folder

    QTest::newRow("the real plugin next to the program")
        << qEnvironmentVariable("TARVIK_BINARY_DIR") + "/src/app";
    QTest::newRow("no plugin") << QString();
}

void TestAudioOutputLoader::givesAnOutputThatNeverBlocks()
{
    QFETCH(QString, folder);
    QTemporaryDir emptyFolder;

    const AudioOutputLoader loader({folder.isEmpty() ? emptyFolder.path() : folder});
    QCOMPARE(loader.isPluginLoaded(), !folder.isEmpty());
    QCOMPARE(loader.errorString().isEmpty(), loader.isPluginLoaded());
    const std::unique_ptr<AudioOutput> output = loader.createOutput();
    QCOMPARE(output->start(), output->isPlaying());
    // CI and servers have no sound server.
    const bool soundServer =
        qEnvironmentVariableIsSet("PULSE_SERVER") ||
        QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/native");
    QCOMPARE(output->isPlaying(), loader.isPluginLoaded() && soundServer);
    QCOMPARE(output->deviceName().isEmpty(), !output->isPlaying());

    // A minute of audio in 20 ms pieces at once: a device takes a quarter of a second of it,
    // the rest is dropped, nothing waits.
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < 3000; ++i)
        output->write(QList<qint16>(160, 1000));
    QCOMPARE_LT(elapsed.elapsed(), 1000);
    output->stop();
    QVERIFY(!output->isPlaying());
}

QTEST_GUILESS_MAIN(TestAudioOutputLoader)
#include "tst_audiooutputloader.moc"
