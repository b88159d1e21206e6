// Times whole processes, taking turns, without a shell in between: each
// round starts every command once, with standard input from INPUT and
// standard output to /dev/null, and waits for it. Prints the median wall
// time of each command in microseconds, one line each, in the order given.
// alternate ROUNDS INPUT COMMAND... (a command is one argument; its words
// are separated by blanks)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> words(const char *command) {
  std::istringstream in(command);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// Runs one command to its end; its wall time in microseconds, or -1.
double timed(const std::vector<std::string> &command, const char *input) {
  std::vector<char *> argv;
  for (const std::string &word : command) argv.push_back(const_cast<char *>(word.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(open(input, O_RDONLY), 0);
    dup2(open("/dev/null", O_WRONLY), 1);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return -1;
  }
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
      .count();
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: alternate ROUNDS INPUT COMMAND...\n");
    return 2;
  }
  const int rounds = std::atoi(argv[1]);
  std::vector<std::vector<std::string>> commands;
  for (int i = 3; i < argc; ++i) commands.push_back(words(argv[i]));
  std::vector<std::vector<double>> times(commands.size());
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t i = 0; i < commands.size(); ++i) {
      const double time = timed(commands[i], argv[2]);
      if (time < 0) {
        std::fprintf(stderr, "alternate: %s failed\n", argv[i + 3]);
        return 1;
      }
      times[i].push_back(time);
    }
  }
  for (std::vector<double> &t : times) {
    std::nth_element(t.begin(), t.begin() + static_cast<long>(t.size() / 2), t.end());
    std::printf("%.0f\n", t[t.size() / 2]);
  }
  return 0;
}
