// Debian's mosquitto, started by a benchmark on 127.0.0.1 at a free port, its configuration in
// a temporary folder; ended, and the folder removed, with the object.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// A TCP port of 127.0.0.1 that nothing listens on just now.
int FreePort();

// Starts `args` with its standard output and error thrown away.
pid_t Spawn(std::vector<std::string> args);

// SIGTERM, then waits for the process.
void End(pid_t pid);

class LocalBroker {
 public:
  LocalBroker();
  LocalBroker(const LocalBroker&) = delete;
  LocalBroker& operator=(const LocalBroker&) = delete;
  ~LocalBroker();
  int Port() const { return port_; }

 private:
  int port_;
  std::string folder_;
  pid_t pid_;
};
