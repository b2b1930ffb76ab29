#include "AudioOutputLoader.h"

#include "AudioOutputPlugin.h"
#include "NoAudioOutput.h"
#include "VoiceLogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

AudioOutputLoader::AudioOutputLoader(const QStringList& searchFolders)
{
    for (const QString& folder : searchFolders) {
        const QString path = QDir(folder).filePath(QLatin1String(PluginFileName));
        if (QFileInfo::exists(path)) {
            load(path);
            return;
        }
    }
    m_error = QStringLiteral("%1 not found in %2")
                  .arg(QLatin1String(PluginFileName), searchFolders.join(QLatin1String(", ")));
    qCWarning(lcVoice).noquote() << "no audio output:" << m_error;
}

std::unique_ptr<AudioOutput> AudioOutputLoader::createOutput() const
{
    if (m_plugin)
        return m_plugin->createOutput();
    return std::make_unique<NoAudioOutput>();
}

QStringList AudioOutputLoader::defaultSearchFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder, QDir(programFolder).filePath(QStringLiteral(TARVIK_PLUGIN_FOLDER))};
}

void AudioOutputLoader::load(const QString& path)
{
    // The loader unloads nothing when it goes: the outputs' code stays in memory.
    QPluginLoader loader(path);
    m_plugin = qobject_cast<AudioOutputPlugin*>(loader.instance());
    if (m_plugin)
        return;
    m_error = loader.isLoaded() ? QStringLiteral("%1 is no audio plugin").arg(path)
                                : loader.errorString();
    qCWarning(lcVoice).noquote() << "audio plugin not loaded:" << m_error;
}
