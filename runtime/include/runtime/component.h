// Components: an owner, a name and a component state with the loading and
// designing flags; the after-load hook runs when loading ends.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/enum_set.h"
#include "runtime/persistent.h"

namespace runtime {

enum TComponentStateFlag : std::uint8_t { csLoading, csDesigning };
using TComponentState = TSet<TComponentStateFlag, std::uint8_t>;

// Thread rule: used by one thread at a time (the thread that owns the window).
class TComponent : public TPersistent {
 public:
  // `owner` is not owned; the owner frees its components itself.
  explicit TComponent(TComponent* owner) : owner_(owner) {}

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  TComponentState ComponentState() const { return state_; }
  bool Loading() const { return state_.Contains(csLoading); }
  bool Designing() const { return state_.Contains(csDesigning); }
  void SetDesigning(bool designing);

  // Loading a definition: properties assigned between the two calls are only
  // stored; EndLoading runs AfterLoad, which first clears the loading flag.
  void BeginLoading() { state_.Include(csLoading); }
  void EndLoading() { AfterLoad(); }

  // The after-load hook; overrides call the base first.
  virtual void AfterLoad() { state_.Exclude(csLoading); }

 private:
  TComponent* owner_;
  std::string name_;
  TComponentState state_;
};

}  // namespace runtime
