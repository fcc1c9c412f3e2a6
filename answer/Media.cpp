#include "answer/Media.h"
