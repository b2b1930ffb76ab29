#pragma once

#include <QList>

#include <optional>

// Converts a stream of samples from one rate to another by linear interpolation, which is
// enough for speech from a telephone line. Output sample n lies at input time
// n * inputRate / outputRate exactly (integer arithmetic), so a stream split into chunks
// anywhere comes out sample for sample as the whole stream does.
class LinearResampler {
public:
    LinearResampler(int inputRate, int outputRate);

    // Appends to output every sample whose two neighbours in the input have arrived.
    void process(const QList<qint16>& input, QList<qint16>& output);

private:
    qint16 inputAt(const QList<qint16>& input, qsizetype index) const;

    int m_inputRate;
    int m_outputRate;
    // The next output sample's place, in input samples times outputRate, counted from the
    // held last sample of the previous chunk (or from the first sample while none is held).
    qint64 m_position = 0;
    std::optional<qint16> m_held;
};
