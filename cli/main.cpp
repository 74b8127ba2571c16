// kelvane-cli: Kelvane's functions from the command line.
#include <iostream>
#include <string>

#include "cli/dump_command.h"

namespace {

constexpr const char* kUsage =
    "usage: kelvane-cli dump PHOTO\n"
    "  dump   prints the Exif reader's nine tag slots and ten locator numbers\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (argc != 3 || std::string(argv[1]) != "dump") {
    std::cerr << kUsage;
    return 64;
  }
  kelvane::FileOpsLibrary fileOps;
  return kelvane::cli::DumpPhoto(argv[2], fileOps, std::cout, std::cerr);
}
