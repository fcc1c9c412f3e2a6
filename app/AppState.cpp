#include "app/AppState.h"

AppState g_app{};
