#pragma once

#include <QList>
#include <QString>

// Plays the call's audio: 8000 samples/s, mono, 16-bit signed. Nothing upstream ever waits
// for it: a slow or stalled device loses audio instead. A plain interface without QObject, so
// that the plugin that implements it with Qt Multimedia needs no code of this library.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Opens the sound device; false when there is none, which is no error: the call goes on.
    virtual bool start() = 0;
    virtual void stop() = 0;
    // Returns at once; what the device has no room for is dropped.
    virtual void write(const QList<qint16>& samples) = 0;
    virtual void setMuted(bool muted) = 0;
    // A sound device is open and plays what is written.
    virtual bool isPlaying() const = 0;
    // The device's name as the system shows it; empty without one.
    virtual QString deviceName() const = 0;
};
