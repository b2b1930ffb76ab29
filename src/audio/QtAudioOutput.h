#pragma once

#include "AudioOutput.h"

#include <QString>

#include <memory>

class QAudioSink;
class QIODevice;

// Plays the call on the system's default sound device through QAudioSink in push mode: each
// write puts in only what the sink has room for and drops the rest, so a stalled device never
// holds up the receive.
class QtAudioOutput : public AudioOutput {
public:
    QtAudioOutput();
    ~QtAudioOutput() override;

    bool start() override;
    void stop() override;
    void write(const QList<qint16>& samples) override;
    void setMuted(bool muted) override { m_muted = muted; }
    bool isPlaying() const override;
    QString deviceName() const override { return m_deviceName; }

private:
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_stream = nullptr; // owned by the sink
    QString m_deviceName;
    bool m_muted = false;
};
