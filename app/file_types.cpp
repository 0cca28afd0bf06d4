#include "app/file_types.h"

namespace shell::FileTypes1 {

std::unique_ptr<FileType> pTextPlain;

void Initialize() {
  auto type = std::make_unique<FileType>();
  type->Name = "text/plain";
  pTextPlain = std::move(type);
}

void Finalize() {
  pTextPlain.reset();
}

}  // namespace shell::FileTypes1
