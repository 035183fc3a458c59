#include "runtime/persistent.h"

#include <string>

#include "runtime/exception.h"

namespace runtime {

void TPersistent::CopyFrom(const TPersistent& source) { AssignError(source); }

void TPersistent::AssignError(const TPersistent& source) const {
  throw EConvertError("Cannot assign a " + std::string(source.ClassName()) + " to a " +
                      std::string(ClassName()));
}

}  // namespace runtime
