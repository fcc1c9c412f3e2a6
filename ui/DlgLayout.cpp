#include "ui/DlgLayout.h"
