#include "ELKList.h"
