// The script benchmark's bare client as a program: started the way pelk is,
// it pays what the system charges any program (its start, its end, running
// as a process of its own), so pelk's time over its time is the shell's own
// cost. Arguments: the simulator's address, the number of requests and the
// file holding the request; with no requests it only starts and ends.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bare_client.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  int count = std::atoi(argv[2]);
  if (count == 0) return 0;
  std::FILE* file = std::fopen(argv[3], "rb");
  if (file == nullptr) return 2;
  static char request[1 << 16];
  std::size_t size = std::fread(request, 1, sizeof request, file);
  std::fclose(file);
  return bare_client::sendRequests(argv[1], std::string_view(request, size),
                                   count)
             ? 0
             : 1;
}
