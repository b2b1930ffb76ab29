#pragma once

#include "SampleEncoder.h"

#include <QByteArrayList>
#include <QList>
#include <QStringList>

#include <optional>

// The compression methods a voice modem offers (+VSM=?), listed in the forms real modems use:
// Rockwell/Conexant's, U.S. Robotics' with parenthesised lists, ZyXEL's ";"-separated one.
class VoiceMethods {
public:
    enum class Catalogue { Default, MuLaw, ALaw, SignedPcm, AdpcmOnly, Semicolon };
    struct Method {
        int label;
        QByteArray name;
        int bitsPerSample;
        QList<int> rates;
        // Empty for a vendor's own coding, which this simulator cannot produce.
        std::optional<SampleEncoder::Coding> coding;
    };
    struct Selection {
        int label;
        int rate;
    };

    static std::optional<Catalogue> named(const QString& name);
    static QStringList names();

    explicit VoiceMethods(Catalogue catalogue = Catalogue::Default);

    QByteArrayList list() const;                      // +VSM=?, a line per method
    QByteArray report(const Selection& chosen) const; // +VSM?
    // +VSM=<cml>[,<vsr>[,<scs>[,<sel>]]]; empty for a method or rate not offered.
    std::optional<Selection> select(const QByteArray& arguments) const;
    Selection defaultSelection() const;
    const Method& method(int label) const;

private:
    enum class Style { Bare, Parenthesised, Semicolon };

    const Method* find(int label) const;
    QByteArray line(const Method& method) const;

    Style m_style;
    QList<Method> m_methods;
    int m_defaultLabel;
};
