#pragma once
// One panel per home folder. The lock file names the running panel's process id and is held
// with flock for the life of the process, so the kernel lets go of it whatever way the process
// ends: a lock left by a crashed run is simply taken over by the next start.

#include <sys/types.h>

#include <filesystem>
#include <system_error>

namespace benchbridge {

class HomeLock {
 public:
  enum class State {
    Held,         // this process holds the home
    Taken,        // another running process holds it
    Unavailable,  // the lock file could not be made (read-only folder, ...): run unguarded
  };

  explicit HomeLock(const std::filesystem::path& file);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  State GetState() const { return state_; }
  // The process id the file names while another process holds it (0 when unreadable).
  pid_t Holder() const { return holder_; }
  std::error_code Error() const { return error_; }

 private:
  int fd_ = -1;
  State state_ = State::Unavailable;
  pid_t holder_ = 0;
  std::error_code error_;
};

}  // namespace benchbridge
