#include "QtAudioPlugin.h"

#include "QtAudioOutput.h"

std::unique_ptr<AudioOutput> QtAudioPlugin::createOutput()
{
    return std::make_unique<QtAudioOutput>();
}
