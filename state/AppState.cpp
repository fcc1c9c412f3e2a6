#include "state/AppState.h"

AppState g_app{};
