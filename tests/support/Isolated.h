#ifndef RINGLOCK_TESTS_SUPPORT_ISOLATED_H
#define RINGLOCK_TESTS_SUPPORT_ISOLATED_H

#include <windows.h>

// Some checks need a fresh process (process-wide counters, first-use state).
// A test written as
//     if (!InIsolatedProcess()) GTEST_SKIP();
// is run by another test through RunIsolated("Suite.Name", ...), which starts
// this test program again with only that test; the child's exit code is 0
// when it passed.
bool InIsolatedProcess();

// Returns the child's exit code, or -1 when it could not be started or did
// not end within timeoutMs (it is then terminated).
int RunIsolated(const char* gtestFilter, DWORD timeoutMs);

#endif
