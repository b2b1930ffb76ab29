#pragma once

#include "CommandChannel.h"
#include "PortOpener.h"
#include "VoiceCommands.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

// Asks the modem behind a port whether it answers, without ever taking the line off-hook: opens
// the port at the commands' speed, sends "AT", then asks for the modem's identification ("ATI") and its
// service classes ("AT+FCLASS=?"); where voice (class 8) is listed, what voice mode offers
// (AT+FCLASS=8, AT+VSM=?, AT+VLS=?, AT+FCLASS=0), and closes the port again. The waits run local
// event loops, so the window keeps working meanwhile; abort() ends a running check at once. No box
// is shown here: the window puts the result into words.
class ModemCheck : public QObject {
    Q_OBJECT
public:
    static constexpr int ReplyTimeoutMs = 2000;

    enum class Outcome {
        Answered,      // "OK" to "AT"; the queries' answers follow
        NoAnswer,      // no "OK" to "AT" in time
        PortNotOpened, // openFailure says why
        DeviceLost,    // the device went away or refused a write during the check
    };

    struct Query {
        enum class Status { Answered, NotSupported, NoAnswer };
        Status status = Status::NoAnswer;
        QStringList lines; // what the modem answered, see CommandChannel::Answer
    };

    struct Result {
        Outcome outcome = Outcome::NoAnswer;
        QString devicePath;
        PortOpener::Failure openFailure; // PortNotOpened
        QString lostDetail;              // DeviceLost: the system's wording, maybe empty
        QStringList received;            // NoAnswer: printable lines that came instead of "OK"
        Query identification;            // "ATI"
        Query classes;                   // "AT+FCLASS=?"
        // Asked when class 8 is listed: voice mode entered, its two questions asked and left.
        struct Voice {
            bool asked = false;
            bool answered = false; // AT+FCLASS=8 was answered, OK or ERROR
            std::optional<VoiceCommands::Refusal> refusal;
            VoiceCommands::Offer offer;
        } voice;

        // Voice (class 8) is among the classes the modem listed.
        bool offersVoice() const;
    };

    explicit ModemCheck(PortOpener& opener, int replyTimeoutMs = ReplyTimeoutMs,
                        QObject* parent = nullptr);
    ~ModemCheck() override;

    bool isRunning() const { return m_channel != nullptr; }
    // devicePath as for LineControl::hook(). Nothing while another check runs, or when this one
    // was aborted or this object destroyed meanwhile; the port is closed on return.
    std::optional<Result> run(const QString& devicePath);
    void abort();

Q_SIGNALS:
    void runningChanged(bool running);

private:
    void setChannel(CommandChannel* channel);

    PortOpener& m_opener;
    int m_replyTimeoutMs;
    QPointer<CommandChannel> m_channel; // while a check runs
};
