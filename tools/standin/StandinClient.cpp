#include "tools/standin/StandinClient.h"
