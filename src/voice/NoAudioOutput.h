#pragma once

#include "AudioOutput.h"

// The output when there is no sound device or no plugin to reach one: plays nothing, so the
// call and the level meter go on without sound.
class NoAudioOutput : public AudioOutput {
public:
    bool start() override { return false; }
    void stop() override {}
    void write(const QList<qint16>&) override {}
    void setMuted(bool) override {}
    bool isPlaying() const override { return false; }
    QString deviceName() const override { return {}; }
};
