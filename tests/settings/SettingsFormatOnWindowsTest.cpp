// The platform-free format table, run again under the Windows C runtime the
// program ships with.
#include "tests/native/SettingsFormatTest.cpp"
