#include "Parameter.h"
