#pragma once

#include <QLoggingCategory>

// The voice room's trace: QT_LOGGING_RULES="tarvik.voice.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcVoice)
