// The component runtime on its own: no port and no platform layer linked.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "runtime/component.h"
#include "runtime/enum_set.h"
#include "runtime/event_receiver.h"
#include "runtime/main_thread.h"
#include "runtime/thread.h"
#include "runtime/toolkit.h"

namespace runtime {
namespace {

class RecordingToolkit : public Toolkit {
 public:
  void HandleException(const std::exception& error) override {
    std::lock_guard lock(mutex_);
    reports_.push_back(error.what());
  }
  std::vector<std::string> Reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> reports_;
};

// Runs `body` on a thread of its own; the owner waits for it, serving its queue.
class BodyThread : public TThread {
 public:
  explicit BodyThread(std::function<void()> body) : body_(std::move(body)) {}
  ~BodyThread() override { WaitFor(); }

 protected:
  void Execute() override { body_(); }

 private:
  std::function<void()> body_;
};

TEST(ReportCurrentException, HandsTheCaughtExceptionToTheToolkit) {
  RecordingToolkit toolkit;
  const ScopedToolkit scope(toolkit);
  try {
    throw std::runtime_error("line lost");
  } catch (...) {
    ReportCurrentException();
  }
  try {
    throw 7;
  } catch (...) {
    ReportCurrentException();
  }
  EXPECT_EQ(toolkit.Reports(), (std::vector<std::string>{"line lost", "Unknown exception"}));
}

TEST(TThreadTest, AnExceptionEscapingExecuteIsReportedAndEndsTheThread) {
  RecordingToolkit toolkit;
  const ScopedToolkit scope(toolkit);
  BodyThread thread([] { throw std::runtime_error("handler failed"); });
  thread.Start();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(toolkit.Reports(), std::vector<std::string>{"handler failed"});
}

TEST(SynchronizeTest, RunsOnTheMainThreadWhileItWaitsAndRaisesItsExceptionInTheCaller) {
  ASSERT_TRUE(IsMainThread());
  bool ran_on_main = false;
  std::string raised;
  BodyThread thread([&] {
    Synchronize([&] { ran_on_main = IsMainThread(); });
    try {
      Synchronize([] { throw std::runtime_error("refused"); });
    } catch (const std::runtime_error& error) {
      raised = error.what();
    }
  });
  thread.Start();
  thread.WaitFor();
  EXPECT_TRUE(ran_on_main);
  EXPECT_EQ(raised, "refused");
}

TEST(TEventReceiverTest, SendFromAnotherThreadRunsOnTheOwnerAndReturnsItsResult) {
  std::thread::id ran_on;
  bool in_send = false;
  TEventReceiver receiver([&](TMessage& message) {
    ran_on = std::this_thread::get_id();
    in_send = TEventReceiver::InSendMessage();
    message.Result = static_cast<std::intptr_t>(message.WParam) + message.LParam;
  });
  std::intptr_t result = 0;
  BodyThread thread([&] { result = receiver.SendMessage(WM_USER + 1, 40, 2); });
  thread.Start();
  thread.WaitFor();
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  EXPECT_TRUE(in_send);
  EXPECT_EQ(result, 42);
  // From the owner itself the procedure is called directly.
  EXPECT_EQ(receiver.SendMessage(WM_USER + 1, 1, 1), 2);
  EXPECT_FALSE(in_send);
}

class NamedComponent : public TComponent {
 public:
  using TComponent::TComponent;
  std::string_view ClassName() const override { return "TNamedComponent"; }
};

TEST(TComponentTest, LoadingFlagLastsUntilEndLoading) {
  NamedComponent owner(nullptr);
  NamedComponent component(&owner);
  EXPECT_EQ(component.Owner(), &owner);
  component.BeginLoading();
  EXPECT_TRUE(component.Loading());
  EXPECT_EQ(component.ComponentState(), TComponentState{csLoading});
  component.EndLoading();
  EXPECT_FALSE(component.Loading());
  EXPECT_TRUE(component.ComponentState().Empty());
}

TEST(TSetTest, MembersAreBitsOfTheWord) {
  TComponentState state{csDesigning};
  EXPECT_EQ(state.ToBits(), 0b10);
  state.Include(csLoading).Exclude(csDesigning);
  EXPECT_EQ(state, TComponentState::FromBits(0b01));
}

}  // namespace
}  // namespace runtime
