#include "screens/platform_requests.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "tests/support/device_fixture.h"

namespace {

class PlatformRequestsTest : public ::testing::Test {
 protected:
  testing_support::ImagedDevice device;
};

TEST_F(PlatformRequestsTest, TheStoreBlockReadsBackWholeWhatWasWritten) {
  std::vector<BYTE> written(kStoreBlockSize);
  for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<BYTE>(i * 7 + i / 251);
  WriteStoreBlock(written.data());
  std::vector<BYTE> read(kStoreBlockSize, 0);
  ReadStoreBlock(read.data());
  EXPECT_EQ(read, written);
}

TEST_F(PlatformRequestsTest, ThePlatformTypeIsTheDevicesOwn) {
  for (DWORD type : {8u, 9u}) {
    device.Device().Store().SetInt(kernel::state::kPlatformType, type);
    EXPECT_EQ(GetPlatformType(), std::optional<DWORD>(type));
  }
}

}  // namespace
