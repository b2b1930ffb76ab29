#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Frames what the modem sends during one wait. It finds "OK" CR LF anywhere in the
// accumulated reply, also when it arrives in pieces, and remembers the last result line
// that is not OK (ERROR, BUSY, NO DIALTONE, ...) so that a timeout can say what the modem
// answered instead. For a query ("ATI") it also keeps the information lines that come
// before its final result, and where a voice receive's stream begins: everything after the line
// "CONNECT" is the modem's audio, not replies. Memory stays bounded however much the modem
// streams.
class ReplyScanner {
public:
    // Longer lines cannot be result codes; they are skipped up to their line end.
    static constexpr int MaxLineLength = 64;
    // A query's answer is a few lines (a voice modem lists a dozen line configurations); more
    // are dropped, so garbage cannot pile up.
    static constexpr int MaxInformationLines = 16;

    void feed(const QByteArray& bytes);

    bool sawOk() const { return m_sawOk; }
    // The line equal to command is the modem's echo of it, not information.
    void skipEcho(const QByteArray& command) { m_echo = command; }
    // A whole line "OK" (or a voice modem's "VCON") or "ERROR" ended the answer; what follows
    // it is not read.
    bool sawFinalResult() const { return m_finalResult != FinalResult::None; }
    bool sawError() const { return m_finalResult == FinalResult::Error; }
    // The lines before the final result, echo and blank lines left out, each with its printable
    // ASCII characters only and cut to MaxLineLength bytes.
    const QStringList& informationLines() const { return m_informationLines; }
    // The answer to AT+VRX: once a line starting with "CONNECT" has ended, everything after it
    // is the stream, kept unscanned in afterConnect().
    void expectStream() { m_expectStream = true; }
    bool sawConnect() const { return m_sawConnect; }
    const QByteArray& afterConnect() const { return m_afterConnect; }
    // The last recognised result other than OK, named in words ("3" gives "NO CARRIER");
    // empty when there was none.
    const QString& lastResult() const { return m_lastResult; }
    // Bytes kept between feeds; stays small however long the reply grows.
    qsizetype retainedBytes() const { return m_okTail.size() + m_line.size(); }

private:
    enum class FinalResult { None, Ok, Error };

    void scanForOk(const QByteArray& bytes);
    void frameLines(const QByteArray& bytes);
    void endLine();
    void sortLine();

    QByteArray m_okTail; // the last bytes, so that an "OK" CR LF split across reads is found
    QByteArray m_line;   // the line received so far
    bool m_lineTooLong = false;
    bool m_sawOk = false;
    bool m_expectStream = false;
    bool m_connectLineEnded = false; // its CR came; a LF right after it still belongs to it
    bool m_sawConnect = false;
    QByteArray m_afterConnect;
    QString m_lastResult;
    QByteArray m_echo;
    FinalResult m_finalResult = FinalResult::None;
    QStringList m_informationLines;
};
