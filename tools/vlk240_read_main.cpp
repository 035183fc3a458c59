#include <unistd.h>

#include <iostream>
#include <string_view>
#include <vector>

#include "reader/console.h"
#include "reader/descriptor_output.h"
#include "reader/run_reader.h"

int main(int argc, char** argv) {
  reader::ReserveStandardDescriptors();
  reader::IgnoreBrokenPipeSignal();
  const reader::Utf8Console console;
  reader::DescriptorOutput standard_output_buffer(STDOUT_FILENO);
  std::ostream standard_output(&standard_output_buffer);
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return reader::RunReader(args, standard_output, std::cerr);
}
