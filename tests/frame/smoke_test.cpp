#include "support/host_fixture.h"
using vxtest::HostTest;
TEST_F(HostTest, OnOffRegistered) { EXPECT_NE(vxtest::type("on/off"), nullptr); }
