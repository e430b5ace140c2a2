#include "account_names.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace benchbridge {

namespace {

constexpr std::size_t kEntryBuffer = 16384;

bool OwnEntry(passwd& entry, std::vector<char>& buffer) {
  passwd* found = nullptr;
  return getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
         found != nullptr;
}

}  // namespace

std::string UserName(uid_t uid) {
  std::vector<char> buffer(kEntryBuffer);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return entry.pw_name;
  }
  return std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  std::vector<char> buffer(kEntryBuffer);
  group entry{};
  group* found = nullptr;
  if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return entry.gr_name;
  }
  return std::to_string(gid);
}

bool UserListedInGroup(gid_t gid) {
  std::vector<char> buffer(kEntryBuffer);
  passwd entry{};
  if (!OwnEntry(entry, buffer)) return false;
  int count = 64;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  if (getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0) {
    groups.resize(static_cast<std::size_t>(count));
    if (getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0) return false;
  }
  groups.resize(static_cast<std::size_t>(count));
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

bool ProcessHasGroup(gid_t gid) {
  if (getegid() == gid) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = getgroups(count, groups.data());
  if (got < 0) return false;
  groups.resize(static_cast<std::size_t>(got));
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

}  // namespace benchbridge
