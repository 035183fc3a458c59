// Persistent value objects: a class name and copying from another object of the
// same class, refusing foreign classes with the toolkit's assignment error.
#pragma once

#include <string_view>

namespace runtime {

// Thread rule: used by one thread at a time.
class TPersistent {
 public:
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
  virtual ~TPersistent() = default;

  virtual std::string_view ClassName() const = 0;

  // Copies the values of `source` into this object. The base accepts no class:
  // it raises EConvertError "Cannot assign a <source> to a <this>".
  virtual void CopyFrom(const TPersistent& source);

 protected:
  [[noreturn]] void AssignError(const TPersistent& source) const;

  // `source` as this object's own class (or a class derived from it), else the
  // assignment error.
  template <typename T>
  const T& SourceAs(const TPersistent& source) const {
    const auto* typed = dynamic_cast<const T*>(&source);
    if (typed == nullptr) AssignError(source);
    return *typed;
  }
};

}  // namespace runtime
