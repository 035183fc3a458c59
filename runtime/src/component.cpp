#include "runtime/component.h"

namespace runtime {

void TComponent::SetDesigning(bool designing) {
  if (designing) {
    state_.Include(csDesigning);
  } else {
    state_.Exclude(csDesigning);
  }
}

}  // namespace runtime
