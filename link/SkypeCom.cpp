#include "link/SkypeCom.h"
