#include "ServiceScript.h"

#include <QRegularExpression>

namespace {

constexpr int MaxMs = 600000;
constexpr int MaxDigits = 32;

// Step by step as the README's reservation call; the PIN's prompt is short enough to end
// within the program's 3 s pause after the registration number, and the breakdown code has no
// prompt of its own: it follows the facility code.
const char* const ReservationText = R"(# step          prompt ms  digits  pause ms
service             4500     3       400  # greeting and service menu
service-ok          3000     1
registration        3000     8
pin                 2000     4       400
facility            3500     4
breakdown              0     2         0
conditions          3000     any
conditions-ok       2500     1
date                2500     2
time-slot           3000     2
purpose             3000     2
purpose-ok          4000     1
accept
next                5000     1            # 予約受付; next reservation 1, other service 0
)";

std::optional<int> number(const QString& word, int minimum, int maximum)
{
    bool ok = false;
    const int value = word.toInt(&ok);
    return ok && value >= minimum && value <= maximum ? std::optional<int>(value) : std::nullopt;
}

// Adds one line's step or keyword; returns what is wrong with it, empty if nothing.
QString addLine(ServiceScript& script, const QStringList& words, bool& acceptSeen)
{
    if (script.hangsUp)
        return QStringLiteral("nothing may follow \"hangup\"");
    if (words == QStringList{QStringLiteral("accept")}) {
        if (acceptSeen)
            return QStringLiteral("a second \"accept\"");
        acceptSeen = true;
        script.acceptedAfter = int(script.steps.size());
        return {};
    }
    if (words == QStringList{QStringLiteral("hangup")}) {
        script.hangsUp = true;
        return {};
    }
    if (words.size() < 3 || words.size() > 4)
        return QStringLiteral("expected <step> <prompt ms> <digits> [<pause ms>]");
    const std::optional<int> promptMs = number(words[1], 0, MaxMs);
    const bool anyDigits = words[2] == QLatin1String("any");
    const std::optional<int> digits =
        anyDigits ? ServiceScript::AnyDigits : number(words[2], 1, MaxDigits);
    const std::optional<int> pauseMs =
        words.size() == 4 ? number(words[3], 0, MaxMs) : ServiceScript::DefaultPauseMs;
    if (!promptMs || !pauseMs)
        return QStringLiteral("lengths are milliseconds from 0 to %1").arg(MaxMs);
    if (!digits)
        return QStringLiteral("digits are 1 to %1 or \"any\"").arg(MaxDigits);
    script.steps.append({words[0], *promptMs, *digits, *pauseMs});
    return {};
}

} // namespace

const char* const ServiceScript::FormatHelp =
    "Service script (--service-script): one line per step, \"#\" starts a comment.\n"
    "  <step> <prompt ms> <digits> [<pause ms>]\n"
    "      step       a name without blanks; the transcript names the step by it\n"
    "      prompt ms  how long the step's prompt speaks; 0: no prompt of its own\n"
    "      digits     how many digits the step waits for, 1-32, or \"any\": one tone\n"
    "                 command of any length\n"
    "      pause ms   quiet line before the prompt, default 500\n"
    "  accept         the reservation is accepted (予約受付) once every step above has\n"
    "                 its digits; without this line, once every step has them\n"
    "  hangup         last line: the service hangs up after the last step\n"
    "The default script, the reservation call:\n";

ServiceScript ServiceScript::reservation()
{
    QString unused;
    return *parse(reservationText(), &unused);
}

QString ServiceScript::reservationText()
{
    return QString::fromUtf8(ReservationText);
}

std::optional<ServiceScript> ServiceScript::parse(const QString& text, QString* error)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    ServiceScript script;
    bool acceptSeen = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const QString problem = addLine(script, line.split(blanks), acceptSeen);
        if (!problem.isEmpty()) {
            *error = QStringLiteral("line %1: %2").arg(i + 1).arg(problem);
            return std::nullopt;
        }
    }
    if (script.steps.isEmpty()) {
        *error = QStringLiteral("no steps");
        return std::nullopt;
    }
    if (!acceptSeen)
        script.acceptedAfter = int(script.steps.size());
    return script;
}
