// Reference counting of toolkit objects: the first three operations of every
// toolkit interface add a reference, release one, and run the final release.
// Whoever creates or receives an object releases its reference.
#pragma once

#include <atomic>
#include <utility>

namespace veneer {

class IObjRef {
 public:
  virtual long AddRef() = 0;
  virtual long Release() = 0;
  virtual void OnFinalRelease() = 0;

 protected:
  virtual ~IObjRef() = default;
};

// The usual implementation: starts with one reference, deletes itself at zero.
template <class Interface>
class TObjRefImpl : public Interface {
 public:
  long AddRef() override { return ++refs_; }
  long Release() override {
    const long left = --refs_;
    if (left == 0) this->OnFinalRelease();
    return left;
  }
  void OnFinalRelease() override { delete this; }

 private:
  std::atomic<long> refs_{1};
};

// An owner of one reference.
template <class T>
class VRef {
 public:
  VRef() = default;
  // Adopts a reference the caller already holds (as from a New... call).
  static VRef Adopt(T* object) {
    VRef ref;
    ref.object_ = object;
    return ref;
  }
  // Takes a reference of its own.
  static VRef Share(T* object) {
    if (object != nullptr) object->AddRef();
    return Adopt(object);
  }
  VRef(const VRef& other) : object_(other.object_) {
    if (object_ != nullptr) object_->AddRef();
  }
  VRef(VRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  VRef& operator=(VRef other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~VRef() {
    if (object_ != nullptr) object_->Release();
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  // Hands the reference over to the caller.
  T* Detach() { return std::exchange(object_, nullptr); }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

}  // namespace veneer
