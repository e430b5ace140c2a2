#pragma once
// Why a port could not be opened, worked out from the open's error, the device node and /proc,
// in the terms the operator can act on: no permission (and which group would give it), another
// program holds it (and which one, when /proc tells), or the device is gone.

#include <filesystem>
#include <string>

namespace benchbridge {

struct PortOpenFailure {
  enum class Cause {
    Gone,              // no such device (unplugged, the simulator ended, a dangling ports/ link)
    PermissionDenied,  // the device node does not let this user read and write it
    Busy,              // another program has it open exclusively
    Other,             // anything else: error says what
  };
  Cause cause = Cause::Other;
  std::string path;  // the device path tried (where a link leads, when it leads somewhere)
  int error = 0;     // errno of the failed step
  // PermissionDenied: the group that owns the device, and whether the account database lists
  // the user in it already (then only a new login is missing).
  std::string group;
  bool groupListed = false;
  // Busy: "minicom (process 1234)", or empty when /proc does not tell (another user's process).
  std::string holder;
};

// error: the errno of the failed open (or of the lock taken on it). procRoot is /proc but for
// tests; the calling process itself is never named as the holder.
PortOpenFailure DiagnoseOpenFailure(const std::string& path, int error,
                                    const std::filesystem::path& procRoot = "/proc");

}  // namespace benchbridge
