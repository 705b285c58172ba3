#include "state/accessstatus.h"
