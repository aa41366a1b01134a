// Work off the window's thread: what reaches the window after an end, a failure, a cancel or
// the owner's end.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/platform/background_work_win.h"
#include "app/platform/ui.h"
#include "app/platform/ui_messages.h"

namespace cardo {
namespace {

constexpr UINT kNotice = WM_APP + 7;

// A manual-reset event, which a worker and the test both wait on.
class Event {
 public:
  Event() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Event() { CloseHandle(handle_); }
  void Set() { SetEvent(handle_); }
  bool Wait(DWORD ms = 5000) { return WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0; }

 private:
  HANDLE handle_;
};

// A window that only collects what is posted to it.
class Mailbox {
 public:
  Mailbox()
      : hwnd_(CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr)) {}
  ~Mailbox() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }
  std::vector<MSG> Take() {
    std::vector<MSG> taken;
    MSG msg{};
    while (PeekMessageW(&msg, hwnd_, kNotice, kNotice, PM_REMOVE)) taken.push_back(msg);
    return taken;
  }
  // Waits for the next notice; none after `ms`.
  std::optional<MSG> Wait(DWORD ms = 5000) {
    const DWORD deadline = GetTickCount() + ms;
    MSG msg{};
    while (!PeekMessageW(&msg, hwnd_, kNotice, kNotice, PM_REMOVE)) {
      if (GetTickCount() > deadline) return std::nullopt;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE);
    }
    return msg;
  }

 private:
  HWND hwnd_;
};

TEST(BackgroundWork, AnEndedWorkGivesItsOutcomeAndAFailedOneTheFailedOutcome) {
  const struct {
    const char* name;
    std::function<int(WorkerLink&)> work;
    int outcome;
    const char16_t* told;  // what the window says of its failure, if any
  } cases[] = {
      {"returns", [](WorkerLink&) { return 7; }, 7, nullptr},
      {"out of memory", [](WorkerLink&) -> int { throw std::bad_alloc(); }, -1,
       msg::kUnexpectedOutOfMemory},
      {"any other failure", [](WorkerLink&) -> int { throw std::runtime_error("x"); }, -1,
       msg::kUnexpectedFailure},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Mailbox box;
    BackgroundWork<int> work;
    ASSERT_TRUE(work.Start(c.work, -1, box.hwnd(), kNotice));
    const std::optional<MSG> end = box.Wait();
    ASSERT_TRUE(end);
    EXPECT_EQ(work.Read(end->wParam, end->lParam), WorkNotice::Ended);
    EXPECT_EQ(work.Finish(), c.outcome);
    EXPECT_FALSE(work.Running());
    if (c.told) {
      EXPECT_EQ(std::u16string(UnexpectedFailureText(work.Failure())), c.told);
    } else {
      EXPECT_FALSE(work.Failure());
    }
  }
}

TEST(BackgroundWork, ProgressIsPostedOnceUntilItIsRead) {
  Mailbox box;
  BackgroundWork<int> work;
  Event posted, read;
  ASSERT_TRUE(work.Start(
      [&](WorkerLink& link) {
        for (int i = 0; i < 3; ++i) link.Progress();
        posted.Set();
        read.Wait();
        link.Progress();
        return 0;
      },
      -1, box.hwnd(), kNotice));
  const std::optional<MSG> first = box.Wait();
  ASSERT_TRUE(first);
  ASSERT_TRUE(posted.Wait());
  EXPECT_TRUE(box.Take().empty()) << "three progresses, one notice";
  EXPECT_EQ(work.Read(first->wParam, first->lParam), WorkNotice::Progress);
  read.Set();
  const std::optional<MSG> second = box.Wait();
  ASSERT_TRUE(second);
  EXPECT_EQ(work.Read(second->wParam, second->lParam), WorkNotice::Progress);
  const std::optional<MSG> end = box.Wait();
  ASSERT_TRUE(end);
  EXPECT_EQ(work.Read(end->wParam, end->lParam), WorkNotice::Ended);
  work.Finish();
}

// A work stopped by Cancel or by its owner's end: its own cancel runs (and wakes it), it
// sees the stop, nothing of it reaches the window, and the owner's end waits for it.
TEST(BackgroundWork, AStoppedWorkPostsNothingAndIsJoined) {
  for (const bool byOwnersEnd : {false, true}) {
    SCOPED_TRACE(byOwnersEnd ? "owner's end" : "cancel");
    Mailbox box;
    Event started, stop;
    std::atomic<bool> sawStop{false}, returned{false};
    auto work = std::make_unique<BackgroundWork<int>>();
    ASSERT_TRUE(work->Start(
        [&](WorkerLink& link) {
          started.Set();
          stop.Wait(INFINITE);
          sawStop = link.StopFlag().load();
          link.Progress();
          returned = true;
          return 1;
        },
        -1, box.hwnd(), kNotice, [&] { stop.Set(); }));
    ASSERT_TRUE(started.Wait());
    if (!byOwnersEnd) {
      work->Cancel();
      EXPECT_FALSE(work->Running());
      EXPECT_FALSE(box.Wait(200)) << "a cancelled work said something";
    }
    work.reset();
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(returned) << "the owner ended before its worker";
    EXPECT_TRUE(box.Take().empty());
  }
}

TEST(BackgroundWork, TheEndOfAWorkCancelledBeforeItIsReadIsStale) {
  Mailbox box;
  BackgroundWork<int> work;
  ASSERT_TRUE(work.Start([](WorkerLink&) { return 1; }, -1, box.hwnd(), kNotice));
  const std::optional<MSG> old = box.Wait();
  ASSERT_TRUE(old);
  work.Cancel();
  Event stop;
  ASSERT_TRUE(work.Start(
      [&](WorkerLink&) {
        stop.Wait(INFINITE);
        return 2;
      },
      -1, box.hwnd(), kNotice, [&] { stop.Set(); }));
  EXPECT_EQ(work.Read(old->wParam, old->lParam), WorkNotice::Stale);
  EXPECT_TRUE(work.Running());
}

}  // namespace
}  // namespace cardo
