// Runtime errors, signals, oxPrint and the debugger stop protocol, each run as a real
// subprocess (exit_helper) with standard output and standard error captured apart.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "runtime/debug.h"

extern char** environ;

namespace {

struct Result {
  int status = -1;  // exit code, or -1 when killed by a signal
  std::string out, err;
};

// Runs the helper with `args`. `input` is written to its standard input (then closed); without
// input, standard input is /dev/null. `respond` may answer the first line of standard output.
class Child {
 public:
  explicit Child(const std::vector<std::string>& args, bool with_input) {
    int out[2], err[2], in[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (with_input) {
      EXPECT_EQ(pipe(in), 0);
      posix_spawn_file_actions_adddup2(&fa, in[0], 0);
      posix_spawn_file_actions_addclose(&fa, in[1]);
      stdin_fd = in[1];
    } else {
      posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    posix_spawn_file_actions_addclose(&fa, err[0]);
    std::vector<std::string> all{QR_EXIT_HELPER};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    close(err[1]);
    if (with_input) close(in[0]);
    out_fd = out[0];
    err_fd = err[0];
  }
  void Write(const std::string& s) { EXPECT_EQ(write(stdin_fd, s.data(), s.size()), (ssize_t)s.size()); }
  std::string ReadLine() {  // one line of standard output, without its newline
    std::string line;
    char c;
    while (read(out_fd, &c, 1) == 1 && c != '\n') line += c;
    result.out += line + "\n";
    return line;
  }
  Result Finish() {
    if (stdin_fd >= 0) close(stdin_fd);
    result.out += ReadAll(out_fd);
    result.err += ReadAll(err_fd);
    int st = 0;
    waitpid(pid, &st, 0);
    result.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return result;
  }

 private:
  static std::string ReadAll(int fd) {  // outputs are small: far below a pipe's buffer
    std::string s;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) s.append(buf, n);
    close(fd);
    return s;
  }
  pid_t pid = 0;
  int out_fd = -1, err_fd = -1, stdin_fd = -1;
  Result result;
};

Result RunHelper(const std::vector<std::string>& args, const char* input = nullptr) {
  Child child(args, input != nullptr);
  if (input) child.Write(input);
  return child.Finish();
}

std::string ErrorLines(const std::string& message) {
  return std::string(OX_RUNTIME_ERROR_PREFIX) + message + "\n\n";
}
const std::string kMarker = "{{~~~~}}\n\n";  // OX_DBG_MARKER_FORMAT with an empty text, empty stack

TEST(RuntimeExit, Cases) {
  typedef std::vector<std::string> A;
  struct Case {
    const char* name;
    A args;
    const char* input;  // null: standard input is /dev/null
    int status;
    std::string out, err;
  } cases[] = {
      {"empty error", A{"error", ""}, nullptr, 0, "", ""},
      {"error", A{"error", "Socket open failed"}, nullptr, 255, ErrorLines("Socket open failed"), kMarker},
      {"SIGSEGV", A{"raise", "segv"}, nullptr, 255, ErrorLines(OX_SIGSEGV_MESSAGE), kMarker},
      {"SIGILL", A{"raise", "ill"}, nullptr, 255, ErrorLines(OX_SIGILL_MESSAGE), kMarker},
      {"SIGFPE", A{"raise", "fpe"}, nullptr, 255, ErrorLines(OX_SIGFPE_MESSAGE), kMarker},
      {"real fault", A{"fault"}, nullptr, 255, ErrorLines(OX_SIGSEGV_MESSAGE), kMarker},
      {"other signal", A{"sighandler"}, nullptr, 255, ErrorLines(OX_SIGNAL_MESSAGE), kMarker},
      {"print", A{"print"}, nullptr, 0, "\xC3\xA9\n\xE2\x82\xAC\n", ""},
      {"list error", A{"list-error"}, nullptr, 255, std::string("checking\n") + OX_LIST_ERROR + "\n", ""},
      // The debugger protocol on standard input.
      {"quit", A{"error", "x"}, "?\nq\n", 0, ErrorLines("x"), kMarker},
      {"end of input", A{"error", "x"}, "", 255, ErrorLines("x"), kMarker},
      {"line without newline", A{"error", "x"}, "q", 255, ErrorLines("x"), kMarker},
      {"run resumes the error loop", A{"error", "x"}, "r\n", 255, ErrorLines("x") + ErrorLines("x"),
       kMarker + kMarker},
      {"step commands", A{"error", "x"}, "s\ne\nl\nq\n", 0,
       ErrorLines("x") + ErrorLines("x") + ErrorLines("x") + ErrorLines("x"),
       kMarker + kMarker + kMarker + kMarker},
      {"null object", A{"error", "x"}, "@0\nq\n", 0, ErrorLines("x"), kMarker + "\n"},
      {"bad command", A{"error", "x"}, "zap\n", 255, ErrorLines("x") + "????? zap ?????\n", kMarker},
  };
  for (const Case& c : cases) {
    Result r = RunHelper(c.args, c.input);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
  }
}

TEST(RuntimeExit, DebuggerDescribesAnObject) {
  Child child({"object"}, true);
  std::string address = child.ReadLine();
  child.Write("@" + address + "\nq\n");
  Result r = child.Finish();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, address + "\n" + ErrorLines("stop"));
  EXPECT_EQ(r.err, kMarker + "+Object\n\n");
}

}  // namespace
