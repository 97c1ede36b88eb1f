#pragma once

// A process id that was just in use and is no longer: a child that has ended and been
// waited for (the id is free until the system hands it out again, which takes a while).
#include <sys/wait.h>
#include <unistd.h>

inline pid_t DeadProcessId() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  int status = 0;
  waitpid(pid, &status, 0);
  return pid;
}
