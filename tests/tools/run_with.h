#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "reader/run_reader.h"

namespace reader::testing_run {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// RunReader with captured streams.
inline Outcome RunWith(const std::vector<std::string>& args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunReader(views, out, err);
  return {status, out.str(), err.str()};
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace reader::testing_run
