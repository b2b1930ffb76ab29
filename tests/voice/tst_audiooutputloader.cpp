#include "AudioOutputLoader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestAudioOutputLoader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void givesAnOutputThatNeverBlocks_data();
    void givesAnOutputThatNeverBlocks();
};

namespace {

// Where a sound server would listen; CI and servers have none.
bool soundServerRuns()
{
    return qEnvironmentVariableIsSet("PULSE_SERVER") ||
           QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/native");
}

} // namespace

void TestAudioOutputLoader::givesAnOutputThatNeverBlocks_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("fakePlugin"); // written into folder as the plugin, if any
    QTest::addColumn<bool>("loaded");

    const QString programFolder = qEnvironmentVariable("TARVIK_BINARY_DIR") + "/src/app";
    QTest::newRow("the real plugin next to the program") << programFolder << QByteArray() << true;
    QTest::newRow("no plugin") << QString() << QByteArray() << false;
    QTest::newRow("a file that is no library") << QString() << QByteArray("garbage") << false;
}

void TestAudioOutputLoader::givesAnOutputThatNeverBlocks()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, fakePlugin);
    QTemporaryDir emptyFolder;
    if (folder.isEmpty())
        folder = emptyFolder.path();
    if (!fakePlugin.isEmpty()) {
        QFile file(QDir(folder).filePath(AudioOutputLoader::PluginFileName));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(fakePlugin) == fakePlugin.size());
    }

    const AudioOutputLoader loader({folder});
    QTEST(loader.isPluginLoaded(), "loaded");
    QCOMPARE(loader.errorString().isEmpty(), loader.isPluginLoaded());
    const std::unique_ptr<AudioOutput> output = loader.createOutput();
    QVERIFY(output);
    QCOMPARE(output->start(), output->isPlaying());
    QCOMPARE(output->isPlaying(), loader.isPluginLoaded() && soundServerRuns());
    QCOMPARE(output->deviceName().isEmpty(), !output->isPlaying());

    // A minute of audio written in 20 ms pieces at once: a device could take a quarter of a
    // second of it, the rest is dropped, nothing waits.
    QElapsedTimer elapsed;
    elapsed.start();
    const QList<qint16> piece(160, 1000);
    for (int i = 0; i < 3000; ++i)
        output->write(piece);
    QCOMPARE_LT(elapsed.elapsed(), 1000);
    output->stop();
    QVERIFY(!output->isPlaying());
}

QTEST_GUILESS_MAIN(TestAudioOutputLoader)
#include "tst_audiooutputloader.moc"
