#include "platform/QuitSignals.h"

#include <signal.h>

#include <cstdlib>

#include <gtest/gtest.h>

namespace korvane {
namespace {

// One test: the handlers stay for the whole process.
TEST(QuitSignals, ASignalSentWhileHeldArrivesOnceDeliveredAndAnIgnoredOneStaysIgnored) {
  signal(SIGHUP, SIG_IGN);  // as nohup hands it down
  HoldQuitSignals();
  raise(SIGTERM);  // would end the test run if it were not held
  const int fd = DeliverQuitSignals();
  ASSERT_GE(fd, 0);
  EXPECT_EQ(DeliverQuitSignals(), fd);
  EXPECT_TRUE(TakeQuitSignals(fd));
  EXPECT_FALSE(TakeQuitSignals(fd));
  raise(SIGINT);
  EXPECT_TRUE(TakeQuitSignals(fd));
  raise(SIGHUP);
  EXPECT_FALSE(TakeQuitSignals(fd));
  struct sigaction hup {};
  sigaction(SIGHUP, nullptr, &hup);
  EXPECT_EQ(hup.sa_handler, SIG_IGN);

  // Once the loop has ended, a further quit signal ends the process.
  EXPECT_EXIT(
      {
        DefaultQuitSignals();
        raise(SIGHUP);  // still ignored
        raise(SIGTERM);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace korvane
