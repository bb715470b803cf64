#include "ant/libusb_library.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

TEST(LibusbLibraryTest, AMissingLibraryOrOneWithoutTheEntryPointsIsRefused) {
  try {
    LibusbLibrary missing("libvel-no-such-libusb.so.0");
    ADD_FAILURE() << "loaded a library that does not exist";
  } catch (LibusbError::Enum e) {
    EXPECT_EQ(e, LibusbError::kLibraryMissing);
  }
  // A library that loads but lacks the entry points.
  try {
    LibusbLibrary wrong("libm.so.6");
    ADD_FAILURE() << "libm taken for libusb";
  } catch (LibusbError::Enum e) {
    EXPECT_EQ(e, LibusbError::kEntryPointMissing);
  }
}

TEST(LibusbLibraryTest, TheInstalledLibusbHasEveryEntryPoint) {
  try {
    LibusbLibrary lib;
    EXPECT_NE(lib.bulk_transfer, nullptr);
    EXPECT_NE(lib.set_auto_detach_kernel_driver, nullptr);
  } catch (LibusbError::Enum e) {
    GTEST_SKIP() << "libusb-1.0 not installed (" << e << ")";
  }
}

}  // namespace
}  // namespace vel
