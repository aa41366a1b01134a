#pragma once
// Test doubles for the seams: a Ui that answers from a script and records what it was asked,
// a file system that can be told to fail, menu places and a window size in memory, and a
// temporary folder per test.
#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/list/menu_history.h"
#include "app/platform/file_system.h"
#include "app/platform/ui.h"
#include "app/settings/settings_file.h"

namespace cardo::testing {

struct ShownMessage {
  std::u16string text;
  std::u16string title;
  MessageIcon icon;
  MessageButtons buttons;
};

class ScriptedUi final : public Ui {
 public:
  std::deque<MessageAnswer> answers;  // taken in order; OK/Yes when it runs out
  std::function<void()> whileAsking;  // runs while a message is up, before it is answered
  std::deque<std::optional<FileDialogResult>> openResults;
  std::deque<std::optional<FileDialogResult>> saveResults;
  std::vector<ShownMessage> messages;
  std::vector<FileDialogOptions> openRequests;
  std::vector<FileDialogOptions> saveRequests;
  std::optional<std::u16string> clipboard;

  MessageAnswer ShowMessage(std::u16string_view text, std::u16string_view title, MessageIcon icon,
                            MessageButtons buttons) override;
  std::optional<FileDialogResult> ShowOpenDialog(const FileDialogOptions& options) override;
  std::optional<FileDialogResult> ShowSaveDialog(const FileDialogOptions& options) override;
  bool ClipboardHasText() override { return clipboard.has_value(); }
  std::u16string ClipboardText() override {
    if (clipboardFailure) std::rethrow_exception(clipboardFailure);
    return clipboard.value_or(u"");
  }
  std::exception_ptr clipboardFailure;  // thrown by a read of the clipboard's text
  void SetClipboardText(std::u16string_view text) override { clipboard = std::u16string(text); }
  ClipboardContent ReadClipboard() override {
    return {clipboardHtml, clipboard.value_or(u""), clipboardFromThisProgram};
  }
  std::optional<std::string> clipboardHtml;
  bool clipboardFromThisProgram = false;
  void Beep() override { ++beeps; }
  StartResult StartProgram(const std::u16string& commandLine) override {
    started.push_back(commandLine);
    return startResult;
  }
  std::vector<std::u16string> started;
  std::u16string OpenWithShell(const std::u16string& target, const std::u16string&,
                               std::uintptr_t) override {
    opened.push_back(target);
    return openError;
  }
  std::vector<std::u16string> opened;
  std::u16string openError;
  StartResult startResult{4242, u""};
  int beeps = 0;
};

// The system's file system, with switches that make operations fail.
class FlakyFileSystem final : public FileSystem {
 public:
  bool failReads = false;
  bool failWrites = false;
  bool failCopies = false;
  bool failRemoves = false;
  int writes = 0;

  PathKind Probe(const std::u16string& path) override { return sys().Probe(path); }
  bool ReadChunks(const std::u16string& path, const ChunkSink& sink) override;
  bool WriteAll(const std::u16string& path, std::string_view bytes) override;
  bool ReplaceAll(const std::u16string& path, std::string_view bytes) override;
  bool CanReplace(const std::u16string& path) override {
    return !failWrites && sys().CanReplace(path);
  }
  bool Copy(const std::u16string& from, const std::u16string& to) override;
  bool Remove(const std::u16string& path) override;
  std::optional<std::u16string> FullPath(const std::u16string& path) override {
    return sys().FullPath(path);
  }
  std::u16string LastErrorText() override {
    return failReads || failWrites || failCopies || failRemoves ? u"injected failure"
                                                                : sys().LastErrorText();
  }

 private:
  static FileSystem& sys() { return SystemFileSystem(); }
};

class FakeMenuPlace final : public MenuPlace {
 public:
  std::u16string caption;
  bool visible = true;
  bool enabled = true;
  void SetCaption(const std::u16string& text) override { caption = text; }
  void SetVisible(bool v) override { visible = v; }
  void SetEnabled(bool e) override { enabled = e; }
};

// A history with `count` places backed by FakeMenuPlaces.
struct FakeHistory {
  explicit FakeHistory(int count = 5);
  std::vector<FakeMenuPlace> places;
  CMenuHistory history;
};

class FakeWindowSize final : public WindowSizeTwips {
 public:
  std::int32_t width = 9000;
  std::int32_t height = 6000;
  std::int32_t Width() const override { return width; }
  std::int32_t Height() const override { return height; }
  void SetWidth(std::int32_t w) override { width = w; }
  void SetHeight(std::int32_t h) override { height = h; }
};

// A fresh folder, removed with its files at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder path ending with the separator.
  const std::u16string& path() const { return path_; }
  std::u16string File(std::u16string_view name) const { return path_ + std::u16string(name); }
  void Write(std::u16string_view name, std::string_view bytes) const;
  std::string Read(std::u16string_view name) const;

 private:
  std::u16string path_;
};

// UTF-8 text as UTF-16, for readable test tables.
std::u16string U(std::string_view utf8);
// The UTF-8 text as ANSI bytes (code page 932).
std::string Ansi(std::string_view utf8);

}  // namespace cardo::testing
