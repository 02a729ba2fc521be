#pragma once
// Bytes read from the socket, in one block that grows in place where the system allows (a large
// block is moved by remapping its pages, not by copying them), so that a reply of any size
// takes the memory of its bytes and no more, and stays where it is when the buffer is moved.

#include <cstddef>
#include <string_view>

namespace quillo {

class LineBuffer {
 public:
  LineBuffer() = default;
  LineBuffer(LineBuffer&& other) noexcept;
  LineBuffer& operator=(LineBuffer&& other) noexcept;
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;
  ~LineBuffer();

  /// Room for at least `wanted` more bytes after those kept, where the next read may put them
  /// (`available` bytes in all). Memory too short is dealt with by the new handler.
  char* room(std::size_t wanted, std::size_t& available);
  /// Keeps `count` more bytes, just put into the room.
  void grow(std::size_t count) { size_ += count; }
  /// Drops every byte from `size` on.
  void shrink(std::size_t size) { size_ = size; }

  std::string_view view() const { return {data_, size_}; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace quillo
