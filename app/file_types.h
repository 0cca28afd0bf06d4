// The program's one file type, set up at start-up and released at shut-down.
#pragma once

#include <memory>
#include <string>

namespace shell {

struct FileType {
  std::string Name;
  std::string Extensions;
  std::string MacType;     // four-character type code
  std::string MacCreator;  // four-character creator code
};

namespace FileTypes1 {

// "text/plain", naming no extension and no type or creator code. nullptr
// before Initialize and after Finalize.
extern std::unique_ptr<FileType> pTextPlain;

void Initialize();
void Finalize();

}  // namespace FileTypes1
}  // namespace shell
