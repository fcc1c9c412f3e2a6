#include "link/Wnd.h"
