#pragma once

#include <QByteArrayList>
#include <QList>

#include <optional>

// The analog source and destination configurations a voice modem offers (+VLS=?): label,
// primitives ("T" the telephone line, "L" the local phone, "S" the speaker) and the events it
// can report in the transmit, receive and command states, as Conexant lists them. Every
// configuration with "T" takes the line off-hook; the others leave it on-hook.
class LineLabels {
public:
    // lineLabel numbers the configuration of the line alone: 1 as most modems do, or 5 and up
    // for a modem that numbers its configurations otherwise and has no label 1.
    explicit LineLabels(int lineLabel = 1);

    QByteArrayList list() const;
    // Empty for a label not offered.
    std::optional<bool> takesLineOffHook(int label) const;

private:
    struct Configuration {
        int label;
        QByteArray primitives;
        QByteArray events; // transmit, receive and command state
    };

    QList<Configuration> m_configurations;
};
