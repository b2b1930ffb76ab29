#pragma once

#include "AudioOutput.h"

#include <QString>
#include <QStringList>

#include <memory>

class AudioOutputPlugin;

// Finds and loads the audio plugin: next to the executable in the build tree, in the
// library folder (lib/tarvik) once installed.
class AudioOutputLoader {
public:
    static constexpr char PluginFileName[] = "tarvik-audio.so";

    explicit AudioOutputLoader(const QStringList& searchFolders = defaultSearchFolders());

    // Never null: without the plugin, an output that has no device.
    std::unique_ptr<AudioOutput> createOutput() const;
    bool isPluginLoaded() const { return m_plugin != nullptr; }
    // Why the plugin is not loaded; empty when it is.
    const QString& errorString() const { return m_error; }

    static QStringList defaultSearchFolders();

private:
    void load(const QString& path);

    AudioOutputPlugin* m_plugin = nullptr;
    QString m_error;
};
