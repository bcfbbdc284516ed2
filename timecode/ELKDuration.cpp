#include "ELKDuration.h"
