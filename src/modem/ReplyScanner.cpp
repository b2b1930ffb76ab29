#include "ReplyScanner.h"

#include <array>

namespace {

const QByteArray OkLine = QByteArrayLiteral("OK\r\n");

struct NamedResult {
    const char* line;
    const char* name;
};

// Verbose results and the numeric forms (ATV0) of the ones that mean "not done".
constexpr std::array<NamedResult, 10> FailureResults{{
    {"ERROR", "ERROR"},
    {"NO CARRIER", "NO CARRIER"},
    {"BUSY", "BUSY"},
    {"NO DIALTONE", "NO DIALTONE"},
    {"NO ANSWER", "NO ANSWER"},
    {"3", "NO CARRIER"},
    {"4", "ERROR"},
    {"6", "NO DIALTONE"},
    {"7", "BUSY"},
    {"8", "NO ANSWER"},
}};

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

QString printableText(const QByteArray& line)
{
    QByteArray printable;
    for (const char c : line) {
        if (c >= ' ' && c <= '~')
            printable.append(c);
    }
    return QString::fromLatin1(printable.trimmed());
}

// The words for one whole result line, or empty when the line is no result code.
QString resultName(const QByteArray& line)
{
    for (const NamedResult& result : FailureResults) {
        if (line == result.line)
            return QString::fromLatin1(result.name);
    }
    if (line.startsWith("CONNECT"))
        return QString::fromLatin1(line);
    return {};
}

} // namespace

void ReplyScanner::feed(const QByteArray& bytes)
{
    scanForOk(bytes);
    frameLines(bytes);
}

void ReplyScanner::scanForOk(const QByteArray& bytes)
{
    if (m_sawOk)
        return;
    const QByteArray window = m_okTail + bytes;
    m_sawOk = window.contains(OkLine);
    m_okTail = window.right(OkLine.size() - 1);
}

void ReplyScanner::frameLines(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (m_connectLineEnded) {
            const bool lineFeedOfTheLine = !m_sawConnect && c == '\n';
            m_sawConnect = true;
            m_afterConnect += bytes.mid(lineFeedOfTheLine ? i + 1 : i);
            return;
        }
        if (isLineEnd(c)) {
            endLine();
        } else if (m_line.size() < MaxLineLength) {
            m_line.append(c);
        } else {
            m_lineTooLong = true;
        }
    }
}

void ReplyScanner::endLine()
{
    m_connectLineEnded = m_expectStream && !m_lineTooLong && m_line.startsWith("CONNECT");
    if (!m_lineTooLong) {
        const QString name = resultName(m_line);
        if (!name.isEmpty())
            m_lastResult = name;
    }
    if (!sawFinalResult())
        sortLine();
    m_line.clear();
    m_lineTooLong = false;
}

void ReplyScanner::sortLine()
{
    if (!m_lineTooLong && (m_line == "OK" || m_line == "VCON")) {
        m_finalResult = FinalResult::Ok;
    } else if (!m_lineTooLong && m_line == "ERROR") {
        m_finalResult = FinalResult::Error;
    } else if (!m_echo.isEmpty() && m_line == m_echo) {
        m_echo.clear(); // echoed once only
    } else if (m_informationLines.size() < MaxInformationLines) {
        const QString text = printableText(m_line);
        if (!text.isEmpty())
            m_informationLines << text;
    }
}
