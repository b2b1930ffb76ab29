#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Looks values up in INI text the way the Windows profile functions read it: section and key names
// match without regard to case, the first section of a name and the first key of a name in it win,
// blanks around names and values do not count, lines end in LF or CR LF, lines without "=" and keys
// before the first section are ignored.
//
// Only the wanted names are indexed, in one pass, so memory stays small however large the
// text is. The reader shares the text (no copy) and points into it.
class ProfileReader {
public:
    struct Section {
        QString name;
        QStringList keys;
    };

    ProfileReader(const QString& text, const QList<Section>& wanted);

    // The value as a 255-byte read buffer gets it: up to its first NUL, blanks removed, cut
    // to 254 bytes of code page 932 without splitting a character. Nothing when the
    // section or the key is missing (or was not wanted).
    std::optional<QString> text(QStringView section, QStringView key) const;

    // The signed decimal number at the start of the value, 0 when there is none, saturated
    // to the int range; `fallback` when the section or the key is missing.
    int integer(QStringView section, QStringView key, int fallback) const;

    static constexpr int ValueBytes = 254;

private:
    struct SectionIndex {
        QSet<QString> wantedKeys; // case-folded
        QHash<QString, QStringView> found;
    };

    void index();
    SectionIndex* enterSection(QStringView name);
    void record(SectionIndex& section, QStringView line);
    std::optional<QString> foldedIfShort(QStringView name) const;

    QString m_text;
    QHash<QString, SectionIndex> m_sections; // by case-folded name
    QSet<QString> m_sectionsSeen;
    qsizetype m_longestName = 0;
};
