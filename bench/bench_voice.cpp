// Measures the voice receive: the CPU time that unshielding, decoding, prompt detection and
// the level meter cost for a 60 s call, and how late promptEnded comes after a prompt's true
// end compared with the 700 ms rule. Prints the figures; run it on an otherwise idle machine.

#include "NoAudioOutput.h"
#include "PromptDetector.h"
#include "SyntheticLine.h"
#include "VoiceReceiver.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr int CallMs = 60000;
constexpr int Repeats = 20;
constexpr int ReadBytes = 160; // 20 ms of the stream at 8000 samples/s

// G.711 mu-law, as the modem codes the line: a 14-bit magnitude biased by 33, a segment and
// four bits of it, all inverted.
char muLawCode(qint16 sample)
{
    int value = sample >> 2;
    const int mask = value < 0 ? 0x7f : 0xff;
    value = std::min(std::abs(value), 8159) + 33;
    int segment = 0;
    while (segment < 8 && value > (0x40 << segment) - 1)
        ++segment;
    if (segment == 8)
        return char(0x7f ^ mask);
    return char((segment << 4 | ((value >> (segment + 1)) & 0x0f)) ^ mask);
}

char signedPcmCode(qint16 sample)
{
    return char(sample >> 8);
}

// A minute of a call as the modem streams it: ringback, then prompts with pauses over line
// noise, a DTMF event every 10 s, DLE ETX and the result line.
QByteArray callStream(char (*code)(qint16))
{
    SyntheticLine line;
    line.setNoise(-55).tones(1000, 2000, 2, {400}, -18, 16);
    while (line.lengthMs() < CallMs - 5500)
        line.speech(4000, -20).silence(1500);
    line.silence(int(CallMs - line.lengthMs()));
    QByteArray stream = line.modemStream(code);
    for (qsizetype at = stream.size() / 6; at < stream.size(); at += stream.size() / 6)
        stream.insert(at, "\x10"
                          "5");
    return stream + VoiceStreamFramer::EndOfStream + "\r\nOK\r\n";
}

void measureCpu(const char* what, const VoiceFormat& format, const QByteArray& stream)
{
    int prompts = 0;
    const std::clock_t before = std::clock();
    for (int call = 0; call < Repeats; ++call) {
        VoiceReceiver receiver([] { return std::make_unique<NoAudioOutput>(); }, PromptTimings());
        QObject::connect(&receiver, &VoiceReceiver::promptEnded, [&] { ++prompts; });
        receiver.start(format);
        for (qsizetype at = 0; at < stream.size(); at += ReadBytes)
            receiver.feed(stream.mid(at, ReadBytes));
    }
    const double cpuMs = 1000.0 * double(std::clock() - before) / CLOCKS_PER_SEC / Repeats;
    std::printf("%-46s CPU %6.1f ms per 60 s call = %.3f %% of one core (%d prompts)\n", what,
                cpuMs, 100.0 * cpuMs / CallMs, prompts / Repeats);
}

// Lengths that end the prompt inside a 20 ms frame, where the detector can only be a frame off.
struct Prompt {
    const char* what;
    double noiseDbfs;
    double speechDbfs;
    int lengthMs;
};

// Audio time at which promptEnded is emitted, minus the prompt's true end; -1 when none.
qint64 endDelay(const Prompt& prompt)
{
    SyntheticLine line;
    line.setNoise(prompt.noiseDbfs).silence(1000).speech(prompt.lengthMs, prompt.speechDbfs);
    const qint64 trueEnd = line.lengthMs();
    line.silence(1500);
    PromptDetector detector;
    qint64 emittedAt = -1;
    QObject::connect(&detector, &PromptDetector::promptEnded,
                     [&] { emittedAt = detector.audioTimeMs(); });
    for (qsizetype at = 0; at < line.samples().size(); at += ReadBytes)
        detector.process(line.samples().mid(at, ReadBytes));
    return emittedAt < 0 ? -1 : emittedAt - trueEnd;
}

void measureDelays()
{
    const std::vector<Prompt> prompts{
        {"quiet line -70 dBFS, prompt -30 dBFS, 1.51 s", -70, -30, 1510},
        {"line -55 dBFS, prompt -20 dBFS, 3.005 s", -55, -20, 3005},
        {"line -55 dBFS, prompt -20 dBFS, 7.113 s", -55, -20, 7113},
        {"noisy line -35 dBFS, prompt -12 dBFS, 4.297 s", -35, -12, 4297},
        {"noisy line -35 dBFS, prompt -15 dBFS, 2.555 s", -35, -15, 2555},
    };
    const int rule = PromptTimings().silenceMs;
    for (const Prompt& prompt : prompts) {
        const qint64 delay = endDelay(prompt);
        std::printf("%-46s promptEnded %5lld ms after the true end (rule %d ms, %+lld ms)\n",
                    prompt.what, static_cast<long long>(delay), rule,
                    static_cast<long long>(delay - rule));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray muLaw = callStream(muLawCode);
    const QByteArray pcm = callStream(signedPcmCode);
    measureCpu("mu-law, 8000 samples/s", {4, SampleEncoding::MuLaw, 8000, "G711U"}, muLaw);
    measureCpu("signed PCM, 8000 samples/s", {0, SampleEncoding::SignedPcm, 8000, "SIGNED PCM"},
               pcm);
    measureCpu("the PCM bytes taken as 11025 samples/s",
               {0, SampleEncoding::SignedPcm, 11025, "SIGNED PCM"}, pcm);
    measureDelays();
    return 0;
}
