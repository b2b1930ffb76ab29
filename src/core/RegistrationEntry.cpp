#include "RegistrationEntry.h"
