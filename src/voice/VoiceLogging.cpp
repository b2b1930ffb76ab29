#include "VoiceLogging.h"

Q_LOGGING_CATEGORY(lcVoice, "tarvik.voice", QtWarningMsg)
