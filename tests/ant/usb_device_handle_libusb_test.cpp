#include "ant/usb_device_handle_libusb.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

TEST(LibusbReaderTest, TimeOutsDoNotCountDataResetsTheCountAndTheTenthErrorStops) {
  int errors = 0;
  for (int i = 0; i < 100; ++i) {
    const LibusbReadStep s = NextLibusbReadStep(LIBUSB_ERROR_TIMEOUT, 0, errors);
    EXPECT_FALSE(s.stop);
    EXPECT_FALSE(s.keepBytes);
    errors = s.errorsInARow;
  }
  EXPECT_EQ(errors, 0);
  for (int i = 0; i < 9; ++i) {
    const LibusbReadStep s = NextLibusbReadStep(LIBUSB_ERROR_IO, 0, errors);
    EXPECT_FALSE(s.stop) << i;
    errors = s.errorsInARow;
  }
  // Data before the tenth: the count starts again (even when it came with a time-out).
  LibusbReadStep s = NextLibusbReadStep(LIBUSB_ERROR_TIMEOUT, 12, errors);
  EXPECT_TRUE(s.keepBytes);
  EXPECT_EQ(s.errorsInARow, 0);
  errors = 0;
  for (int i = 0; i < 10; ++i) {
    s = NextLibusbReadStep(LIBUSB_ERROR_PIPE, 0, errors);
    errors = s.errorsInARow;
  }
  EXPECT_TRUE(s.stop);
  // A stick that is gone stops the reader at once.
  EXPECT_TRUE(NextLibusbReadStep(LIBUSB_ERROR_NO_DEVICE, 0, 0).stop);
}

TEST(LibusbReaderTest, OpeningWithoutTheLibraryFails) {
  UsbIdentity id;
  id.vid = 0x0FCF;
  id.busNumber = 1;
  id.deviceAddress = 2;
  EXPECT_FALSE(USBDeviceLibusb("libvel-no-such-libusb.so.0", id).OpenHandle(57600));
}

}  // namespace
}  // namespace vel
