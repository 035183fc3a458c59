#include "local_broker.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

pid_t Spawn(std::vector<std::string> args) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

void End(pid_t pid) {
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

LocalBroker::LocalBroker() : port_(FreePort()) {
  char folder[] = "/tmp/vlk240-bench-XXXXXX";
  folder_ = mkdtemp(folder);
  const std::string conf = folder_ + "/mosquitto.conf";
  // Started as root, mosquitto would become the user "mosquitto"; it stays who runs this.
  std::ofstream(conf) << "listener " << port_ << " 127.0.0.1\nallow_anonymous true\nuser "
                      << getpwuid(getuid())->pw_name << "\n";
  const char* sbin = "/usr/sbin/mosquitto";
  pid_ = Spawn({access(sbin, X_OK) == 0 ? sbin : "mosquitto", "-c", conf});
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

LocalBroker::~LocalBroker() {
  End(pid_);
  std::system(("rm -rf " + folder_).c_str());
}
