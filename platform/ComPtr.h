#pragma once
// The one owner of a reference-counted object of the COM family (anything with
// AddRef and Release): it holds one reference and releases it when it goes.
#include <utility>

template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (what a creator returned).
    static ComPtr Adopt(T* object) {
        ComPtr owner;
        owner.object_ = object;
        return owner;
    }
    // Adds a reference of its own to an object someone else keeps.
    static ComPtr Share(T* object) {
        if (object != nullptr) {
            object->AddRef();
        }
        return Adopt(object);
    }
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& other) : ComPtr(Share(other.object_)) {}
    ComPtr& operator=(const ComPtr& other) {
        ComPtr copy(other);
        Swap(copy);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr moved(std::move(other));
        Swap(moved);
        return *this;
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Releases what it holds and gives the slot to a creator's out-parameter.
    T** Put() {
        Reset();
        return &object_;
    }
    void Reset() {
        if (T* object = std::exchange(object_, nullptr)) {
            object->Release();
        }
    }
    // Gives up ownership without releasing: the caller now holds the reference.
    [[nodiscard]] T* Detach() { return std::exchange(object_, nullptr); }
    void Swap(ComPtr& other) noexcept { std::swap(object_, other.object_); }

  private:
    T* object_ = nullptr;
};
