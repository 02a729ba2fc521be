#include "core/line_buffer.hpp"

#include <cstdlib>
#include <new>
#include <utility>

namespace quillo {

LineBuffer::LineBuffer(LineBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

LineBuffer& LineBuffer::operator=(LineBuffer&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

LineBuffer::~LineBuffer() { std::free(data_); }

char* LineBuffer::room(std::size_t wanted, std::size_t& available) {
  if (capacity_ - size_ < wanted) {
    // Doubling keeps the number of moves logarithmic; realloc moves a large block by remapping
    // it, so its pages are neither copied nor touched twice.
    std::size_t capacity = capacity_ == 0 ? 16384 : capacity_;
    while (capacity - size_ < wanted) capacity *= 2;
    char* grown = static_cast<char*>(std::realloc(data_, capacity));
    // Memory too short is dealt with as for any allocation: by the new handler.
    while (grown == nullptr) {
      const std::new_handler handler = std::get_new_handler();
      if (handler == nullptr) throw std::bad_alloc();
      handler();
      grown = static_cast<char*>(std::realloc(data_, capacity));
    }
    data_ = grown;
    capacity_ = capacity;
  }
  available = capacity_ - size_;
  return data_ + size_;
}

}  // namespace quillo
