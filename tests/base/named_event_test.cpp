// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/named_event.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace k470 {
namespace {

TEST(NamedEventTest, ManualResetSharedByName) {
    const std::string name = "K470TestEvent" + std::to_string(::getpid());
    auto a = NamedEvent::Open(name);
    ASSERT_TRUE(a.ok()) << a.error().message;
    auto b = NamedEvent::Open(name);  // as another process would
    ASSERT_TRUE(b.ok());
    EXPECT_FALSE(a->IsSet());
    b->Set();
    b->Set();
    EXPECT_TRUE(a->IsSet());
    EXPECT_TRUE(a->IsSet());  // testing does not reset it
    a->Reset();
    EXPECT_FALSE(b->IsSet());
    a->Reset();
    EXPECT_FALSE(a->IsSet());
    NamedEvent::Unlink(name);
}

}  // namespace
}  // namespace k470
