#include "LineControl.h"
