// The host's table of layout cases, built again with the Windows compiler and
// run under Wine, where the program's own arithmetic runs.
#include "tests/native/LayoutMathTest.cpp"
