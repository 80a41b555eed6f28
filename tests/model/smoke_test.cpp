#include "model/struktteile.h"
#include <gtest/gtest.h>
TEST(Smoke, Creates) { EXPECT_EQ(TBlock::Create("x")->Text, "x"); }
