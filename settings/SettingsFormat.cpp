#include "settings/SettingsFormat.h"
