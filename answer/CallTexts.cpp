#include "answer/CallTexts.h"
