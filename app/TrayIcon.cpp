#include "app/TrayIcon.h"
