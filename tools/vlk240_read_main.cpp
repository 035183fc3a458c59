#include <iostream>
#include <string_view>
#include <vector>

#include "reader/run_reader.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return reader::RunReader(args, std::cout, std::cerr);
}
