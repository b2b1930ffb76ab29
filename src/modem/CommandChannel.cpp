#include "CommandChannel.h"
