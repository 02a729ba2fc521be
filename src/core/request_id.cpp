#include "core/request_id.hpp"

#include <uuid/uuid.h>

namespace quillo {

std::string new_request_id() {
  uuid_t bytes;
  uuid_generate_random(bytes);
  char text[37];
  uuid_unparse_lower(bytes, text);
  return std::string(text, 36);
}

}  // namespace quillo
