#ifndef RINGLOCK_TOOLS_STANDIN_REMOTELISTVIEW_H
#define RINGLOCK_TOOLS_STANDIN_REMOTELISTVIEW_H

#include <windows.h>

#include <string>
#include <vector>

// Rows of a report list view in another process, read as any other program
// would: a record and a text buffer placed in that process, filled by the
// control, read back. The reader must have the target's bitness.
std::vector<std::string> ReadRemoteListView(HWND list);

#endif
