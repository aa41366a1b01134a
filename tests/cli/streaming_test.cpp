// The built cardo-cli acts on each line as it arrives: behind a pipe that holds its input
// open, the first result comes out before the input ends; and a reader that leaves (| head)
// ends the command at once and quietly.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/platform/text.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

// The built cardo-cli with pipes at both ends of it, its standard error to /dev/null.
class Running {
 public:
  explicit Running(const std::vector<std::string>& args) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
      execl("/bin/sh", "sh", "-c", (testing::Cli(args) + " 2>/dev/null").c_str(), nullptr);
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = out[0];
  }
  ~Running() {
    Close();
    if (output_ >= 0) close(output_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  void Write(const std::string& text) const {
    ASSERT_EQ(write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  // The first line written, or what came before the deadline passed.
  std::string Line() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string text;
    while (text.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd ready{output_, POLLIN, 0};
      if (poll(&ready, 1, 100) <= 0) continue;
      char chunk[256];
      const ssize_t n = read(output_, chunk, sizeof chunk);
      if (n <= 0) break;
      text.append(chunk, static_cast<std::size_t>(n));
    }
    return text.substr(0, text.find('\n'));
  }
  void Close() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }
  // The exit status once the input has ended.
  int Status() {
    Close();
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1, output_ = -1;
};

TEST(CliStreaming, EachLineIsActedOnAsItArrives) {
  const struct {
    std::vector<std::string> args;
    std::string line, first;
  } cases[] = {
      {{"expand"}, "a[1-2]\n", "a1"},
      {{"expand", "--extended", "-"}, "b[3-1:2]\n", "b3"},
      {{"extract", "-"}, "see http://h/a.zip here\n", "http://h/a.zip"},
      {{"extract", "--mode", "html", "--base", "http://h/", "-"},
       "<a href=\"b.zip\">\n",
       "http://h/b.zip"},
      {{"check", "-"}, "ftp://h/x\n", "NOT-CHECKED\t-\t-\tftp://h/x\tftp://h/x"},
      {{"export", "--format", "aria2", "-"}, "http://h/a.zip\n", "http://h/a.zip"},
  };
  for (const auto& c : cases) {
    Running cli(c.args);
    cli.Write(c.line);
    EXPECT_EQ(cli.Line(), c.first) << c.args[0];  // while the input is still open
    EXPECT_EQ(cli.Status(), 0) << c.args[0];
  }
}

TEST(CliStreaming, AReaderThatLeavesEndsTheCommandQuietly) {
  testing::TempDir dir;
  std::string list;
  for (int i = 0; i < 300000; ++i) list += "http://h/" + std::to_string(i) + ".zip\n";
  dir.Write(u"list.txt", list);
  const std::string file = Utf16ToUtf8(dir.File(u"list.txt"));
  const std::string err = Utf16ToUtf8(dir.File(u"err"));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"expand", "a[1-999999999]"},
                                               {"export", "--format", "aria2", file},
                                               {"export", "--format", "plain", "--out", "-", file},
                                               {"extract", file}}) {
    // Without the pipe's end the command would write for minutes.
    const std::string command = testing::Cli(args) + " 2>'" + err + "' | head -n 2 >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << args[0];
    EXPECT_EQ(dir.Read(u"err"), "") << args[0];
  }
}

}  // namespace
}  // namespace cardo
