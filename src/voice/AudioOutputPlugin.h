#pragma once

#include "AudioOutput.h"

#include <QtPlugin>

#include <memory>

// What the audio plugin offers. The plugin is loaded at run time only, so that the program
// itself never links Qt Multimedia and its sound libraries.
class AudioOutputPlugin {
public:
    virtual ~AudioOutputPlugin() = default;
    virtual std::unique_ptr<AudioOutput> createOutput() = 0;
};

#define AudioOutputPlugin_iid "org.tarvik.AudioOutputPlugin/1"
Q_DECLARE_INTERFACE(AudioOutputPlugin, AudioOutputPlugin_iid)
