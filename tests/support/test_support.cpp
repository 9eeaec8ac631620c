#include "support/test_support.h"

#include <random>
#include <unistd.h>

namespace zorva::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zorva-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data());
}

TempDir::~TempDir() {
  std::error_code ec;
  // Folders a test made read-only must become writable again to go.
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

}  // namespace zorva::test
