#pragma once

#include <QByteArray>
#include <QString>

// Frames what the modem sends during one wait. It finds "OK" CR LF anywhere in the
// accumulated reply, also when it arrives in pieces, and remembers the last result line
// that is not OK (ERROR, BUSY, NO DIALTONE, ...) so that a timeout can say what the modem
// answered instead. Memory stays bounded however much the modem streams.
class ReplyScanner {
public:
    // Longer lines cannot be result codes; they are skipped up to their line end.
    static constexpr int MaxLineLength = 64;

    void feed(const QByteArray& bytes);

    bool sawOk() const { return m_sawOk; }
    // The last recognised result other than OK, named in words ("3" gives "NO CARRIER");
    // empty when there was none.
    const QString& lastResult() const { return m_lastResult; }
    // Bytes kept between feeds; stays small however long the reply grows.
    qsizetype retainedBytes() const { return m_okTail.size() + m_line.size(); }

private:
    void scanForOk(const QByteArray& bytes);
    void frameLines(const QByteArray& bytes);
    void endLine();

    QByteArray m_okTail; // the last bytes, so that an "OK" CR LF split across reads is found
    QByteArray m_line;   // the line received so far
    bool m_lineTooLong = false;
    bool m_sawOk = false;
    QString m_lastResult;
};
