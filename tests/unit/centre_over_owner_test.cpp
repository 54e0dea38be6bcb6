#include "client/settings/centre_over_owner.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

struct CentreCase {
  const char* name;
  int ownerLeft, ownerTop, ownerWidth, ownerHeight, width, height;
  WindowOrigin expected;
};

TEST(CentreOverOwner, PutsTheWindowsCentreOnTheOwnersCentre) {
  const CentreCase cases[] = {
      {"settings over the wide session window", 297, 321, 686, 381, 336, 316, {472, 353}},
      {"settings over the narrow session window", 297, 321, 351, 381, 336, 316, {304, 353}},
      // Odd sizes: each half is rounded down on its own.
      {"odd sizes", 0, 0, 101, 51, 11, 5, {45, 23}},
      // An owner on a monitor left of or above the primary one.
      {"owner at negative coordinates", -1000, -700, 686, 381, 336, 316, {-825, -668}},
      // A window larger than its owner overhangs it on every side.
      {"window larger than its owner", 100, 100, 200, 100, 336, 316, {32, -8}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CentredOver(c.ownerLeft, c.ownerTop, c.ownerWidth, c.ownerHeight, c.width, c.height), c.expected)
        << c.name;
  }
}

}  // namespace
}  // namespace tarvo
