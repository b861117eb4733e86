#pragma once

namespace quibrant::platform {

// The one owner of a system handle (a descriptor, a kernel handle), closed
// when it goes out of scope. `Traits` names the handle's type and says what
// "no handle" is, which values count as valid and how to close one:
//   using Handle = ...;
//   static Handle empty();
//   static bool valid(Handle);
//   static bool close(Handle);  false when closing failed; the system keeps
//                               the reason where it always does
template <typename Traits>
class UniqueResource {
  public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueResource() { reset(); }

    Handle get() const { return handle_; }
    bool valid() const { return Traits::valid(handle_); }
    Handle release() {
        const Handle handle = handle_;
        handle_ = Traits::empty();
        return handle;
    }
    // Closes the handle held now and takes `handle` instead. False when
    // closing failed, which for a file means data the system had not yet
    // written may be lost.
    bool reset(Handle handle = Traits::empty()) {
        bool closed = true;
        if (valid()) {
            closed = Traits::close(handle_);
        }
        handle_ = handle;
        return closed;
    }

  private:
    Handle handle_ = Traits::empty();
};

}  // namespace quibrant::platform
