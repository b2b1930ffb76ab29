#pragma once

#include <QtGlobal>

// Tells the tones of the telephone network (ringback, busy, dial tone) from speech. Such a
// tone puts nearly all of a frame's energy on one frequency or a fixed pair (400 Hz in Japan,
// also with its 16 Hz modulation, whose side bands stay inside a 20 ms frame's resolution;
// 425 Hz, 440+480, 350+440, 480+620 elsewhere); speech spreads it over many harmonics and
// noise over the whole band. A Goertzel filter per frequency measures that share cheaply.
class CallProgressTones {
public:
    // The largest share, 0..1, of the frame's energy that lies at one of the network's tones;
    // 1 for a pure tone on one of those frequencies.
    static double energyShare(const qint16* frame, int count);
};
