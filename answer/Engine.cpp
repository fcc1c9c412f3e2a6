#include "answer/Engine.h"
