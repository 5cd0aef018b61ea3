// Checks of permissions that must also run when the tests run as root (as in CI), where they
// would otherwise pass trivially.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// Runs `check` as an unprivileged user (nobody) in a child process when the tests run as root;
// directly otherwise. The files the check reads must be reachable by that user.
inline void AsUnprivilegedUser(const std::function<void()>& check) {
  if (geteuid() != 0) return check();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool dropped = setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
    if (dropped) check();
    _exit(!dropped ? 2 : ::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the check failed as user 65534 (2: could not drop to it)";
}

// For the rest of a scope, this process itself has the file permissions of user 65534 (its
// effective user and group; given back at the scope's end) when the tests run as root, so that a
// check can use the process's own windows. Nothing changes when the tests do not run as root. The
// process keeps its other groups: give the files a check needs no group permissions.
class TUnprivilegedScope {
public:
  explicit TUnprivilegedScope(bool drop = true) : FDropped(drop && geteuid() == 0) {
    if (FDropped) FDropped = setegid(65534) == 0 && seteuid(65534) == 0;
    EXPECT_TRUE(!drop || geteuid() != 0) << "could not drop to user 65534";
  }
  ~TUnprivilegedScope() {
    if (FDropped && (seteuid(0) != 0 || setegid(0) != 0)) ADD_FAILURE() << "could not become root again";
  }
  TUnprivilegedScope(const TUnprivilegedScope&) = delete;
  TUnprivilegedScope& operator=(const TUnprivilegedScope&) = delete;

private:
  bool FDropped;
};
