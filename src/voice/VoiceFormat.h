#pragma once

#include <QString>

// How the modem codes each received sample; every usable coding is 8 bits wide.
enum class SampleEncoding { SignedPcm, UnsignedPcm, MuLaw, ALaw };

// Everything after the decoder works at this rate, 16 bits a sample, mono.
inline constexpr int DecodedSampleRate = 8000;

// The receive format chosen from what the modem offers (AT+VSM=<method>,<sampleRate>).
struct VoiceFormat {
    int method = 0;
    SampleEncoding encoding = SampleEncoding::SignedPcm;
    int sampleRate = DecodedSampleRate;
    QString modemName; // the modem's own name of the method, shown to the user as it is
};
