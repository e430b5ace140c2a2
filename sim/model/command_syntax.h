#pragma once
// The meter's command language, read by the same rules the network bridge reads client lines by
// (command_header.h of the link).

#include "command_header.h"

namespace benchbridge::sim {

using benchbridge::CommandLine;
using benchbridge::HeaderMatches;
using benchbridge::KeywordIndex;
using benchbridge::ParseCommandLine;
using benchbridge::ParseOnOff;
using benchbridge::WordMatches;

}  // namespace benchbridge::sim
