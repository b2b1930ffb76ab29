#pragma once

#include "AudioOutput.h"

// A sound device that keeps what it plays; or, made without one, none at all, as on a server.
struct RecordingAudioOutput : AudioOutput {
    explicit RecordingAudioOutput(bool hasDevice = true) : hasDevice(hasDevice) {}

    bool start() override
    {
        ++starts;
        return playing = hasDevice;
    }
    void stop() override { playing = false; }
    void write(const QList<qint16>& samples) override
    {
        played += muted || !playing ? QList<qint16>() : samples;
    }
    void setMuted(bool mute) override { muted = mute; }
    bool isPlaying() const override { return playing; }
    QString deviceName() const override
    {
        return hasDevice ? QStringLiteral("recorder") : QString();
    }

    bool hasDevice;
    QList<qint16> played;
    int starts = 0;
    bool playing = false;
    bool muted = false;
};
