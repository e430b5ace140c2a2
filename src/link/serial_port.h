#pragma once
// The byte pipe to the instrument: open a numbered port at 8N1, count pending input, read one
// reply line with a time limit, close.

#include <filesystem>
#include <string>
#include <string_view>

namespace benchbridge {

// An open port is its file descriptor; -1 (all bits set) marks "no port".
using PortHandle = int;
inline constexpr PortHandle kInvalidPort = -1;

// Longest reply text kept. A flood without line feed is cut off here and read as no reply.
inline constexpr std::size_t kReplyCap = std::size_t{64} * 1024;

// Device path of COM<portNumber>: the link <home>/ports/com<n> when it exists, else
// COM1-99 -> /dev/ttyS0-98, COM100-199 -> /dev/ttyUSB0-99, COM200-299 -> /dev/ttyACM0-99.
// Empty for numbers outside 1..299 without a link.
std::string PortPath(int portNumber, const std::filesystem::path& home);

// Opens the port exclusively, without waiting on modem lines, and sets the baud rate, 8N1 and no
// XON/XOFF, leaving hardware flow control and the other settings as the port has them. kInvalidPort
// on any failure; a failure after the open closes the port again. error (when given) receives
// the errno of the step that failed (EWOULDBLOCK: another process holds the port's lock).
PortHandle OpenPort(int portNumber, int baud, const std::filesystem::path& home,
                    int* error = nullptr);
PortHandle OpenPortPath(const std::string& path, int baud, int* error = nullptr);

// Bytes waiting in the input queue, at most 256 (0 for kInvalidPort).
unsigned PendingBytes(PortHandle port);

// Reads one reply: collects bytes until a read step ends with a line feed, then removes every
// CR LF pair. Empty when nothing complete arrived within limitSeconds, when the port hung up,
// when the reply outgrew kReplyCap, or when wakeFd (if not -1) became readable: that is how a
// read in flight is abandoned at shutdown. Waits in poll(2), never spins. When complete is given
// it tells whether the reply ended with its line feed; a read that ran out of time (whether or not
// part of a reply came) or outgrew the cap leaves the rest of that reply still on its way.
std::string ReadReply(PortHandle port, int limitSeconds, int wakeFd = -1, bool* complete = nullptr);

// Drops every byte already waiting in the input queue. Bytes the driver is still handing over
// at that moment (microseconds after they came in) may slip past.
void DiscardPending(PortHandle port);

// Writes all of data, waiting for the port to take it. False on a write failure or hang-up.
bool WriteAll(PortHandle port, std::string_view data, int wakeFd = -1);

// "4F4E0A" -> "ON\n"; a trailing odd character is ignored.
std::string HexToText(std::string_view hexPairs);

void ClosePort(PortHandle port);

}  // namespace benchbridge
