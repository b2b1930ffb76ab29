#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// The command interpreter of a V.250 voice modem, without any I/O: bytes from the program go
// in, the bytes the modem would answer (with the pauses between them) and readable transcript
// lines come out. The fault options make it misbehave the ways real modems do.
class ModemEmulator {
public:
    struct Options {
        bool silent = false;        // answers nothing at all, not even the echo
        bool lowercaseOk = false;   // "ok" instead of "OK"
        bool splitOk = false;       // the OK arrives in two pieces with a pause between
        QByteArray dialAnswer;      // result code for dial and tone commands; empty: "OK"
        int answerDelayMs = 0;      // pause before every result code
        int hangupAfter = 0;        // the line vanishes after this many commands; 0: never
        bool garbage = false;       // random bytes stream after the first command
        bool noVoice = false;       // AT+FCLASS=? lists no voice class 8
        bool refuseQueries = false; // ERROR to ATI and AT+FCLASS=?, like a plain data modem
    };

    struct Chunk {
        int pauseBeforeMs = 0;
        QByteArray bytes;
    };

    struct Output {
        QList<Chunk> chunks;
        QStringList transcript;
        bool startGarbage = false;
        bool closeLine = false; // after the chunks have been sent
    };

    static constexpr int SplitPauseMs = 50;

    explicit ModemEmulator(const Options& options);

    Output receive(const QByteArray& bytes);

private:
    enum class Hook { On, Off, Call };

    void receiveByte(char byte, Output& out);
    void runLine(const QByteArray& line, Output& out);
    QByteArray runCommands(const QByteArray& commands, Output& out);
    QByteArray runDial(const QByteArray& dialString, Output& out);
    QByteArray runQuery(const QByteArray& query, Output& out);
    void setHook(Hook hook, Output& out);
    void answer(const QByteArray& resultCode, Output& out);
    QByteArray okText() const;

    Options m_options;
    QByteArray m_line;
    QByteArrayList m_information; // lines the running command answers before its result
    bool m_echo = true;
    bool m_closed = false;
    Hook m_hook = Hook::On;
    int m_commandCount = 0;
};
