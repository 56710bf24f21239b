#include <fcntl.h>
#include <signal.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "app/StartUp.h"
#include "app/StopRequest.h"

namespace morvelle {
namespace {

// The signals whose default action ends the program and that a person, a
// terminal or the system sends to stop it: the terminal or the SSH session
// closed (HUP), Ctrl+C and Ctrl+\ (INT, QUIT), kill and shutting down
// (TERM), the CPU time limit, which is sent before the hard limit kills
// (XCPU), and timers and user signals that scripts and job schedulers
// send (ALRM, VTALRM, PROF, USR1, USR2).
constexpr int kStopSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGALRM,
                                SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF};

void OnStopSignal(int) { RequestStop(); }

// Gives `signal` the handler `action` where it still has its default
// action: one the program was started with ignored (as nohup does, and a
// shell for a command run in the background) stays ignored, and one a tool
// loaded into the process handles (a profiler's SIGPROF) keeps its handler.
void Handle(int signal, const struct sigaction& action) {
  struct sigaction old;
  if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
    sigaction(signal, &action, nullptr);
}

}  // namespace

bool OpenStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The descriptors below `fd` are open, so the open takes `fd`. Not
    // closed on exec: the window program is started with the same three.
    if (::open("/dev/null", O_RDWR) != fd) return false;
  }
  return true;
}

void ReturnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
  // Setting the threshold, even to its default, keeps it fixed.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::optional<BatchValues> BatchValuesOfCommandLine(
    const std::vector<std::string>& args) {
  return ParseBatchArguments(args);
}

std::ostream& BatchOut() { return std::cout; }
std::ostream& BatchErr() { return std::cerr; }

bool BatchErrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

bool ShowBatchText(bool) {
  std::cerr.flush();
  std::cout.flush();
  return !std::cerr.fail() && !std::cout.fail();
}

void InstallStopHandlers(bool stoppable) {
  struct sigaction action = {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &action, nullptr);
  sigaction(SIGXFSZ, &action, nullptr);
  if (!stoppable) return;
  // Restarted, so that no read or write of the run fails for the signal.
  action.sa_flags = SA_RESTART;
  action.sa_handler = OnStopSignal;
  for (int signal : kStopSignals) Handle(signal, action);
}

}  // namespace morvelle
