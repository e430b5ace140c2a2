#pragma once
// Whether the line behind an open port has gone away: the tty hung up (a USB adapter pulled out,
// the other end of a pty closed) or its device node removed or replaced by another device. A
// port that is merely silent is not gone.

#include <sys/types.h>

#include <string>

#include "serial_port.h"

namespace benchbridge {

class LineLossCheck {
 public:
  // Notes which device node the port was opened on; kInvalidPort is never taken for gone.
  explicit LineLossCheck(PortHandle port);

  // Looks once, without waiting: a hang-up (POLLHUP, POLLERR, POLLNVAL) or a node that is no
  // longer the one the port was opened on.
  bool Gone() const;

 private:
  PortHandle port_;
  std::string node_;  // empty when the node could not be told (the node is then not looked at)
  dev_t device_ = 0;
};

}  // namespace benchbridge
