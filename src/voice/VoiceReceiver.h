#pragma once

#include "AudioOutput.h"
#include "PromptDetector.h"
#include "VoiceDecoder.h"
#include "VoiceEvent.h"
#include "VoiceFormat.h"
#include "VoiceStreamFramer.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

// The running receive of a voice call: the modem's bytes go in, are unshielded and decoded,
// played and watched for the service's prompts. The line control ends the receive before each
// tone command and starts it again afterwards; the prompt detector keeps its noise floor over
// such a pause and its audio time goes on counting. The sound device is opened with the first
// receive of a call only.
class VoiceReceiver : public QObject {
    Q_OBJECT
public:
    using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

    // Plays through the audio plugin, when it can be loaded.
    explicit VoiceReceiver(QObject* parent = nullptr);
    VoiceReceiver(OutputFactory createOutput, const PromptTimings& timings,
                  QObject* parent = nullptr);
    ~VoiceReceiver() override;

    // The modem has answered AT+VRX with CONNECT: what follows is the stream, in format.
    void start(const VoiceFormat& format);
    // Bytes read from the port while receiving; ignored when no receive runs. Once DLE ETX has
    // come, returns what followed it (the modem's result line), nothing before.
    std::optional<QByteArray> feed(const QByteArray& bytes);
    // Leaves the running receive without waiting for its end (the line is being hung up).
    void stop();
    // The call is over: the sound device is closed, the next call learns its floor anew.
    void endCall();

    void setMuted(bool muted);
    bool isReceiving() const { return m_decoder.has_value(); }
    // A sound device plays the call.
    bool isPlaying() const;
    qint64 audioTimeMs() const { return m_detector.audioTimeMs(); }
    // The service's prompt is being spoken (a prompt has started and not ended).
    bool isSpeaking() const { return m_detector.isSpeaking(); }

Q_SIGNALS:
    // A receive has started; playing tells whether a sound device plays it.
    void receiving(bool playing);
    void eventHeard(const VoiceEvent& event, qint64 atMs);
    void levelChanged(double dbfs);
    void promptStarted(qint64 atMs);
    void promptEnded(qint64 atMs);
    void promptTooLong(qint64 atMs);

private:
    void openOutput();
    void play(const QByteArray& audio);
    void report(const QByteArray& events);

    OutputFactory m_createOutput;
    std::unique_ptr<AudioOutput> m_output;
    bool m_outputOpened = false;
    bool m_muted = false;
    VoiceStreamFramer m_framer;
    std::optional<VoiceDecoder> m_decoder;
    PromptDetector m_detector;
};
