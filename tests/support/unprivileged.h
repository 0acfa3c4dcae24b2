// File access as an ordinary user for the calling thread, so that a folder without
// permissions is unreadable even when the tests run as root (root reads everything).
#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

namespace kvtest {

class UnprivilegedFileAccess {
 public:
  UnprivilegedFileAccess() : root_(::geteuid() == 0) {
    if (root_) ::setfsuid(kNobody);
  }
  ~UnprivilegedFileAccess() {
    if (root_) ::setfsuid(0);
  }
  UnprivilegedFileAccess(const UnprivilegedFileAccess&) = delete;
  UnprivilegedFileAccess& operator=(const UnprivilegedFileAccess&) = delete;

 private:
  static constexpr uid_t kNobody = 65534;
  bool root_;
};

}  // namespace kvtest
