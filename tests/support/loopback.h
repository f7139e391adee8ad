// Loopback addresses for tests that listen. Each process holds a block of
// its own, 127.x.y.1 to 127.x.y.254 outside 127.0.0.0/16 (where people run
// their own simulators and services), so tests started side by side -- by
// ctest -j, by a second checkout, by a fuzzer's jobs -- never meet on an
// address while the ports stay the real 12301 and 2301. x (1 to 9) and y
// (0 to 9) are one digit each: an address is exactly as long as 127.0.0.n,
// and a request's Content-Length counts its Host line, so expected output
// differs only in the address's own digits.
#pragma once

#include <string>

namespace testing_support {

// The n-th address (1 to 254) of this process's block, e.g. "127.3.7.30".
// The first call chooses the block: starting from one derived from the
// process id, the first whose claim this process wins (a socket bound to
// its address 0 on port 12301, held until the process ends) and whose
// addresses are all free on 12301 and 2301. tests/pty/loopback.py follows
// the same rule, so Python tests and C++ tests exclude each other too.
std::string loopbackAddress(int n);

// Whether the machine has IPv6 and ::1: tests that need them are skipped
// where it has not.
bool ipv6LoopbackAvailable();

// ::1 is one address for the whole machine: tests that listen on it with
// the real ports take turns. A turn waits (two minutes at most) until no
// other process holds one -- a test of the same run or of another
// checkout -- and lasts as long as the object.
class Ipv6LoopbackTurn {
 public:
  Ipv6LoopbackTurn();
  ~Ipv6LoopbackTurn();
  Ipv6LoopbackTurn(const Ipv6LoopbackTurn&) = delete;
  Ipv6LoopbackTurn& operator=(const Ipv6LoopbackTurn&) = delete;
  bool held() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

}  // namespace testing_support
