#pragma once
// A bounded first-in first-out buffer on a deque, read from the newest element
// backwards through a cursor. The virtual operations keep their order.
#include <cstdint>
#include <deque>

template <typename T>
class QuillMemoryCircularBuffer : public std::deque<T> {
  public:
    // The cursor value that lies before the oldest element.
    static constexpr std::uint32_t kBeforeOldest = 0xFFFFFFFFU;

    explicit QuillMemoryCircularBuffer(std::uint32_t capacity) : capacity_(capacity) {}
    virtual ~QuillMemoryCircularBuffer() = default;

    // Appends a copy; beyond the capacity the oldest element goes.
    virtual void Push(const T& item) {
        this->push_back(item);
        if (this->size() > capacity_) {
            this->pop_front();
        }
    }

    // Points the cursor at the newest element, or offset elements older when
    // 1 <= offset < capacity. An offset beyond the elements held puts the
    // cursor before the oldest, so that reading returns nothing.
    virtual void SeekFromNewest(std::int32_t offset) {
        const auto count = static_cast<std::int64_t>(this->size());
        std::int64_t index = count - 1;
        if (offset >= 1 && static_cast<std::uint32_t>(offset) < capacity_) {
            index -= offset;
        }
        cursor_ = index < 0 ? kBeforeOldest : static_cast<std::uint32_t>(index);
    }

    // The element at the cursor, the cursor then one older; null when empty or
    // past the oldest. Valid until the next Push, SetCapacity or destruction.
    virtual T* NextOlder() {
        if (this->empty() || cursor_ == kBeforeOldest || cursor_ >= this->size()) {
            return nullptr;
        }
        T* item = &(*this)[cursor_];
        cursor_ = cursor_ == 0 ? kBeforeOldest : cursor_ - 1;
        return item;
    }

    // A new capacity empties the buffer; the same one keeps it.
    virtual void SetCapacity(std::uint32_t capacity) {
        if (capacity == capacity_) {
            return;
        }
        capacity_ = capacity;
        std::deque<T>().swap(*this);
    }

    virtual std::uint32_t GetCapacity() const { return capacity_; }

    std::uint32_t GetCursor() const { return cursor_; }

  private:
    std::uint32_t cursor_ = 0;
    std::uint32_t capacity_;
};
