#include "core/line_buffer.hpp"

#include <cstdlib>
#include <new>
#include <utility>

#include "core/platform.hpp"

namespace quillo {
namespace {

// From this size on, large pages pay: a reply of 50 MB takes some 10,000 page faults fewer. The
// allocator gives a block this large a mapping of its own (glibc does from 128 KiB, from 32 MiB
// at the latest), which the advice then covers whole.
constexpr std::size_t kLargePagesFrom = std::size_t{4} << 20;

}  // namespace

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
    if (capacity >= kLargePagesFrom) platform::advise_large_pages(data_, capacity_);
  }
  available = capacity_ - size_;
  return data_ + size_;
}

}  // namespace quillo
