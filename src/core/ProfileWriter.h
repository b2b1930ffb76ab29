#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// Builds INI text in code page 932 with CR LF line ends. Values are written exactly as
// given; a value that cannot be stored is refused, never altered. The first refusal
// sticks (like a stream's status): later calls write nothing, and error() names it.
class ProfileWriter {
public:
    void section(QStringView asciiName);

    // Refused when whyNotStorable() has a reason; `label` names the field in error().
    void entry(QStringView key, QStringView value, const QString& label);

    bool succeeded() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; } // in Japanese
    const QByteArray& bytes() const { return m_bytes; }

    // Why a value cannot go into the file, in Japanese: a line break or NUL would cut the
    // file's lines apart, and a character that code page 932 lacks would be lost.
    static std::optional<QString> whyNotStorable(QStringView value);

private:
    QByteArray m_bytes;
    QString m_error;
};
