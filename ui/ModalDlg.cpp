#include "ui/ModalDlg.h"
