#pragma once
// User and group names for the messages that tell the operator what to do ("the group dialout",
// "belongs to root"). The number as text when the account database has no entry.

#include <sys/types.h>

#include <string>

namespace benchbridge {

std::string UserName(uid_t uid);
std::string GroupName(gid_t gid);

// True when the account database lists this process's user in the group (as its primary group
// or a member), whether or not the running session has picked that up yet.
bool UserListedInGroup(gid_t gid);
// True when this process runs with the group (its effective or a supplementary group).
bool ProcessHasGroup(gid_t gid);

}  // namespace benchbridge
