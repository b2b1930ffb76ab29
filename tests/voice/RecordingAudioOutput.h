#pragma once

#include "AudioOutput.h"

// Keeps what the receiver hands to the sound device, as a device that always has room would.
class RecordingAudioOutput : public AudioOutput {
public:
    bool start() override;
    void stop() override { m_playing = false; }
    void write(const QList<qint16>& samples) override;
    void setMuted(bool muted) override { m_muted = muted; }
    bool isPlaying() const override { return m_playing; }
    QString deviceName() const override { return QStringLiteral("recorder"); }

    const QList<qint16>& played() const { return m_played; }
    int starts() const { return m_starts; }

private:
    QList<qint16> m_played;
    int m_starts = 0;
    bool m_playing = false;
    bool m_muted = false;
};
