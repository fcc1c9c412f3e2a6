#include "app/Entry.h"
