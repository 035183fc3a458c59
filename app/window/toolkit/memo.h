// A multi-line text addressed by lines, as the decoder and the handlers use it.
// Window thread only.
#pragma once

#include <QPlainTextEdit>
#include <string>
#include <vector>

namespace window {

class TMemo : public QPlainTextEdit {
 public:
  explicit TMemo(QWidget* parent);

  void Clear() { clear(); }
  void Add(const std::string& line);
  std::vector<std::string> Lines() const;

 private:
  bool has_lines_ = false;  // tells an empty memo from one holding a single empty line
};

}  // namespace window
