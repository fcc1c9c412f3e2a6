#include "link/UIthread.h"
