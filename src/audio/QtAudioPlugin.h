#pragma once

#include "AudioOutputPlugin.h"

#include <QObject>

// The entry point of tarvik-audio.so, found by AudioOutputLoader.
class QtAudioPlugin : public QObject, public AudioOutputPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AudioOutputPlugin_iid)
    Q_INTERFACES(AudioOutputPlugin)
public:
    std::unique_ptr<AudioOutput> createOutput() override;
};
