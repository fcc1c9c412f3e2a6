#include "app/MainDialog.h"
