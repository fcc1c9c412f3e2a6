#include "ui/AddContactDlg.h"
