#include <gtest/gtest.h>

#include "platform/CairoHandles.h"  // compiles on its own
#include "platform/ComPtr.h"
#include "platform/Error.h"

namespace {

struct Counted {
    int references = 1;
    unsigned long AddRef() { return ++references; }
    unsigned long Release() { return --references; }
};

TEST(ComPtr, HoldsExactlyOneReferenceThroughCopiesMovesAndPut) {
    Counted object;
    {
        auto owner = ComPtr<Counted>::Adopt(&object);
        EXPECT_EQ(object.references, 1);
        ComPtr<Counted> copy = owner;
        EXPECT_EQ(object.references, 2);
        ComPtr<Counted> moved = std::move(copy);
        EXPECT_EQ(object.references, 2);
        EXPECT_FALSE(copy);
        moved = owner;  // the same object again: no reference gained or lost
        EXPECT_EQ(object.references, 2);
        Counted other;
        *moved.Put() = &other;  // Put releases the old reference first
        EXPECT_EQ(object.references, 1);
        EXPECT_EQ(moved.Detach(), &other);
        auto shared = ComPtr<Counted>::Share(&object);
        EXPECT_EQ(object.references, 2);
    }
    EXPECT_EQ(object.references, 0);
}

TEST(ErrorOr, CarriesTheValueOrTheErrorWithItsExitCode) {
    ErrorOr<int> good = 7;
    ASSERT_TRUE(good);
    EXPECT_EQ(good.Value(), 7);
    ErrorOr<int> bad = Error::Refused("not a regular file").About("--nmea x");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.GetError().ExitCode(), 2);
    EXPECT_EQ(bad.GetError().Message(), "--nmea x: not a regular file");
    ErrorOr<void> failed = Error::Failed("disk full");
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.GetError().ExitCode(), 1);
    EXPECT_TRUE(ErrorOr<void>{});
}

}  // namespace
