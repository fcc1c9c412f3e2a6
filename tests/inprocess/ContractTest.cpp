// The one place where the tests' expectations meet the program's own values:
// everything the rows, the stand-ins and the reports expect comes from the
// contract, so a value that is wrong where the program defines it shows here.
#include <gtest/gtest.h>

#include "answer/Engine.h"
#include "answer/Media.h"
#include "app/MainDialog.h"
#include "app/StartWithWindows.h"
#include "app/TrayIcon.h"
#include "link/SkypeCom.h"
#include "settings/Settings.h"
#include "ui/ListView.h"

namespace {

template <typename Contract, typename Program>
void ExpectSame(const char* name, Contract contract, Program program)
{
    EXPECT_EQ(static_cast<long long>(contract), static_cast<long long>(program)) << name;
}

void ExpectSame(const char* name, const char* contract, const char* program)
{
    EXPECT_STREQ(contract, program) << name;
}

TEST(Contract, TheProgramDefinesEachValueAsTheContractHasIt)
{
#define CONTRACT(name, value) ExpectSame(#name, value, name);
#include "tests/Contract.h"
#undef CONTRACT
}

}  // namespace
