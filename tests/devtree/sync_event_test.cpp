// CSyncEvent: signalled tests that keep the state, waits with and without a
// limit, and an event that was never made.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "devtree/sync_event.h"

namespace {

TEST(SyncEvent, IsSetKeepsTheSignalOfEitherKindOfEvent) {
  for (BOOL bManualReset : {TRUE, FALSE}) {
    SCOPED_TRACE(bManualReset);
    CSyncEvent event(bManualReset, FALSE);
    ASSERT_TRUE(event.IsValid());
    EXPECT_FALSE(event.IsSet());
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_FALSE(event.IsSet());
  }
}

TEST(SyncEvent, LockWithoutLimitReturnsWhenTheEventIsSet) {
  CSyncEvent event(TRUE, FALSE);
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    event.Set();
  });
  EXPECT_EQ(event.Lock(0), 0);
  EXPECT_EQ(event.m_nLastWait, 0);
  setter.join();
}

TEST(SyncEvent, LockTimesOutAfterTheSecondsGiven) {
  CSyncEvent event(TRUE, FALSE);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(event.Lock(2), static_cast<LONG>(WAIT_TIMEOUT));
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(1900));
  EXPECT_EQ(event.m_nLastWait, static_cast<LONG>(WAIT_TIMEOUT));
}

TEST(SyncEvent, ClosedEventAnswersAsInvalid) {
  CSyncEvent event(TRUE, TRUE);
  event.Close();
  EXPECT_FALSE(event.IsValid());
  EXPECT_EQ(event.GetHandle(), nullptr);
  EXPECT_EQ(event.Lock(1), -1);
  EXPECT_EQ(event.m_nLastWait, -1);
  event.Set();
  EXPECT_FALSE(event.IsSet());
  event.Close();  // a second close does nothing
}

}  // namespace
