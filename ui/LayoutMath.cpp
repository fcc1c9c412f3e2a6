#include "ui/LayoutMath.h"
