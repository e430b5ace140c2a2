#include "port_open_failure.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <optional>
#include <system_error>

#include "account_names.h"

namespace benchbridge {

namespace fs = std::filesystem;

namespace {

std::optional<pid_t> PidOf(const std::string& name) {
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (error != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
  return pid;
}

// The first process (other than this one) with an open descriptor on the character device.
std::string FindHolder(dev_t device, const fs::path& procRoot) {
  std::error_code error;
  const pid_t self = getpid();
  for (fs::directory_iterator process(procRoot, error), end; !error && process != end;
       process.increment(error)) {
    const auto pid = PidOf(process->path().filename().string());
    if (!pid || *pid == self) continue;
    std::error_code fdError;  // another user's process: its descriptors are not ours to see
    for (fs::directory_iterator fd(process->path() / "fd", fdError), fdEnd; !fdError && fd != fdEnd;
         fd.increment(fdError)) {
      struct stat target {};
      if (stat(fd->path().c_str(), &target) == 0 && S_ISCHR(target.st_mode) &&
          target.st_rdev == device) {
        std::string name;
        std::ifstream comm(process->path() / "comm");
        std::getline(comm, name);
        if (name.empty()) name = "a program";
        return name + " (process " + std::to_string(*pid) + ")";
      }
    }
  }
  return {};
}

}  // namespace

PortOpenFailure DiagnoseOpenFailure(const std::string& path, int error, const fs::path& procRoot) {
  PortOpenFailure failure;
  // A ports/ link is told by the device it leads to, which is what the operator recognises.
  // A link to a device that is gone is told by where it led.
  std::error_code resolveError;
  fs::path device = fs::canonical(path, resolveError);
  if (resolveError) {
    device = fs::read_symlink(path, resolveError);
    if (!resolveError && device.is_relative()) device = fs::path(path).parent_path() / device;
  }
  failure.path = resolveError ? path : device.string();
  failure.error = error;
  struct stat node {};
  const bool present = !path.empty() && stat(path.c_str(), &node) == 0;
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      failure.cause = PortOpenFailure::Cause::Gone;
      break;
    case EIO:
      // A USB adapter pulled while its node lingers answers EIO; a present device that fails
      // this way is some other trouble.
      failure.cause = present ? PortOpenFailure::Cause::Other : PortOpenFailure::Cause::Gone;
      break;
    case EACCES:
    case EPERM:
      failure.cause = PortOpenFailure::Cause::PermissionDenied;
      if (present) {
        failure.group = GroupName(node.st_gid);
        failure.groupListed = UserListedInGroup(node.st_gid) && !ProcessHasGroup(node.st_gid);
      }
      break;
    case EBUSY:
    case EWOULDBLOCK:
      failure.cause = PortOpenFailure::Cause::Busy;
      if (present && S_ISCHR(node.st_mode)) failure.holder = FindHolder(node.st_rdev, procRoot);
      break;
    default:
      failure.cause = PortOpenFailure::Cause::Other;
      break;
  }
  return failure;
}

}  // namespace benchbridge
